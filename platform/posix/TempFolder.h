// The program's private temporary folder on Linux, reached through the
// descriptor it was made with, and the way the file functions reach the
// files in it.
#pragma once

#include <string>

namespace platform::posix {

// `path` as the *at calls take it: a file directly in a private temporary
// folder the program made goes relative to that folder's descriptor, held
// since the folder was made, so that nobody who can rename things above it
// can send the file elsewhere; any other path goes as it is (AT_FDCWD).
struct Located {
  int folder;
  std::string name;
};
Located Locate(const std::string& path);

}  // namespace platform::posix
