// The update list read with the system's private profile functions.
#include "platform/Ini.h"

#include <windows.h>

#include <vector>

namespace platform {

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
