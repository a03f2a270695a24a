// Reading the tools' input files (fonts, patches, update data other than the
// update list, lists of fonts) whole, under the limit the updater puts on a
// font, so that a huge or sparse file is refused before anything is
// allocated for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

enum class InputRead {
  kRead,        // `bytes` holds the whole file
  kUnreadable,  // missing, not a regular file, or the read failed
  kTooLarge,    // larger than kLargestFontFile: refused by its size, unread
};

// Reads the file at `path` (a link is followed) whole into `bytes`, which
// has room for one byte more, as platform::ReadWholeFile does; its size is
// taken from the open file before anything is allocated. On failure `bytes`
// is empty and `error` says why, naming the path.
InputRead ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace authoring
