// Temporary files under fresh time-and-random names.
#include "platform/TempFiles.h"

#include "platform/Files.h"
#include "platform/Runtime.h"

namespace platform {

bool FormTempPath(const char* suffix, std::string& path) {
  std::string folder;
  if (!GetTempFolder(folder)) return false;
  path = folder + std::to_string(TimeSeconds()) + std::to_string(RandomNumber() % 255) + suffix;
  return true;
}

bool CreateTempFile(const char* suffix, const std::uint8_t* data, std::size_t size, std::string& path) {
  // The names are predictable, so another file may stand under one; a few
  // hundred draws of the random part find a free one.
  for (int attempt = 0; attempt < 512; ++attempt) {
    std::string candidate;
    if (!FormTempPath(suffix, candidate)) return false;
    if (FileExists(candidate)) continue;
    if (WriteNewFile(candidate, data, size)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace platform
