// Size-bounded whole-file reads for the tools.
#include "tools/authoring/InputFile.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "font/OpenTypeFont.h"
#include "platform/ReachedFiles.h"

namespace authoring {

InputRead ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  // The reader never follows a link in the last component; the maker may
  // name a link to a file, so it is resolved first.
  std::error_code failed;
  const std::filesystem::path resolved = std::filesystem::canonical(path, failed);
  platform::FileReader reader;
  if (failed || !reader.Open(resolved.string())) {
    error = "cannot read " + path;
    return InputRead::kUnreadable;
  }
  // The size of the file opened, not of whatever the path names by now.
  const std::uint64_t size = reader.Size();
  if (size > kLargestFontFile) {
    error = path + " is " + std::to_string(size) + " bytes, more than the tools read (" +
            std::to_string(kLargestFontFile) + " bytes at most, the largest font the updater reads): refused unread";
    return InputRead::kTooLarge;
  }
  try {
    bytes.reserve(static_cast<std::size_t>(size) + 1);
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    bytes = {};
    error = "cannot read " + path + " (no memory for its " + std::to_string(size) + " bytes)";
    return InputRead::kUnreadable;
  }
  if (!reader.ReadAt(0, bytes)) {
    bytes = {};
    error = "cannot read " + path;
    return InputRead::kUnreadable;
  }
  return InputRead::kRead;
}

}  // namespace authoring
