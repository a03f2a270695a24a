// Applying a patch to an installed font with the updater's own code, so that
// what the tools check is what the updater will do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

// Loads `installed` as the updater loads an installed font, loads `patch` as
// its patch resource, and builds the revised font with the updater's
// BuildNewFont into a temporary file, which is read back into `revised` and
// removed. False with a reason when the updater refuses the font or the patch.
bool ApplyWithUpdater(const std::vector<std::uint8_t>& installed, const std::vector<std::uint8_t>& patch,
                      std::vector<std::uint8_t>& revised, std::string& error);

}  // namespace authoring
