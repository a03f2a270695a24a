// The update data folder that sabun bundle writes and the updater's build
// embeds: update.ini (resource "INIFILE" 2000), patches/NNNN.pa ("FONT_PA"
// NNNN) and download-names.txt ("DLNAMES" 1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Resources.h"

namespace authoring {

inline constexpr const char* kUpdateListFileName = "update.ini";
inline constexpr const char* kPatchFolderName = "patches";
inline constexpr const char* kDownloadNamesFileName = "download-names.txt";

// "NNNN.pa", the file of patch `number`.
std::string PatchFileName(std::uint16_t number);

// Loads the folder's files into `blocks` as the resources they become. False
// with a reason when the folder or one of its files cannot be read.
bool LoadUpdateDataFolder(const std::string& folder, platform::MemoryResources& blocks, std::string& error);

}  // namespace authoring
