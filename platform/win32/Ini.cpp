// The INI file's bytes on Windows, and the system's private profile
// functions (IniText answers as they do from one reading of the file).
#include "platform/Ini.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Handle.h"

namespace platform {

namespace detail {

bool ReadIniBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  const win32::Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr)) return false;
    if (got == 0) return true;
    bytes.append(chunk, got);
  }
}

}  // namespace detail

std::string ReadProfileString(const std::string& iniPath, const char* section, const char* key,
                              const char* defaultValue, std::size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  std::vector<char> buffer(bufferSize, '\0');
  ::GetPrivateProfileStringA(section, key, defaultValue, buffer.data(), static_cast<DWORD>(bufferSize),
                             iniPath.c_str());
  buffer.back() = '\0';
  return std::string(buffer.data());
}

int ReadProfileInt(const std::string& iniPath, const char* section, const char* key, int defaultValue) {
  return static_cast<int>(::GetPrivateProfileIntA(section, key, defaultValue, iniPath.c_str()));
}

std::vector<std::string> ReadProfileKeyNames(const std::string& iniPath, const char* section) {
  // Without a key name the system copies every key name of the section, each
  // ended by a zero, the list by a second zero; a full buffer gives its size
  // minus 2, and then a larger one is tried.
  std::vector<std::string> names;
  for (DWORD size = 4096; size <= (1u << 24); size *= 4) {
    std::vector<char> buffer(size, '\0');
    const DWORD copied = ::GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, iniPath.c_str());
    if (copied == size - 2) continue;
    for (const char* name = buffer.data(); *name != '\0' && name < buffer.data() + copied;
         name += names.back().size() + 1)
      names.emplace_back(name);
    break;
  }
  return names;
}

}  // namespace platform
