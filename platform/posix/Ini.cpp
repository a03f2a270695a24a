// The INI file's bytes on Linux, and the profile functions over them: each
// call reads the file again, so a rewritten file is seen at once (IniText
// holds one reading for the update list).
#include "platform/Ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/FileDescriptor.h"
#include "platform/posix/TempFolder.h"

namespace platform {

namespace detail {

bool ReadIniBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  const posix::Located at = posix::Locate(path);
  const posix::FileDescriptor file(::openat(at.folder, at.name.c_str(), O_RDONLY | O_CLOEXEC));
  const int fd = file.Get();
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof(chunk));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
}

}  // namespace detail

std::string ReadProfileString(const std::string& iniPath, const char* section, const char* key,
                              const char* defaultValue, std::size_t bufferSize) {
  IniText text;
  text.Load(iniPath);
  return text.String(section, key, defaultValue, bufferSize);
}

int ReadProfileInt(const std::string& iniPath, const char* section, const char* key, int defaultValue) {
  IniText text;
  text.Load(iniPath);
  return text.Int(section, key, defaultValue);
}

std::vector<std::string> ReadProfileKeyNames(const std::string& iniPath, const char* section) {
  IniText text;
  text.Load(iniPath);
  return text.KeyNames(section);
}

}  // namespace platform
