// The settings an elevated run leaves out.
#include "platform/posix/ElevatedEnvironment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform::posix {
namespace {

// A folder only root can have put things in: owned by root, writable by
// no group and no other user.
bool RootsOwnFolder(const char* path) {
  struct stat info {};
  return path != nullptr && path[0] == '/' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == 0 &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

void LeaveOutUsersSettings() {
  if (::geteuid() != 0) return;
  for (const char* name : {"TERMINFO", "TERMINFO_DIRS", "TERMCAP", "GCONV_PATH", "LOCPATH"}) ::unsetenv(name);
  ::setenv("PATH", kSystemPath, 1);
  // ncurses reads ~/.terminfo too. The home is only read here, for that and
  // for the user's font cache folder, so a user's home left in HOME gives
  // way to root's.
  if (!RootsOwnFolder(std::getenv("HOME"))) {
    const passwd* root = ::getpwuid(0);
    ::setenv("HOME", root != nullptr && RootsOwnFolder(root->pw_dir) ? root->pw_dir : "/", 1);
  }
}

}  // namespace platform::posix
