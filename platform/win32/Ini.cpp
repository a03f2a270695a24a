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

}  // namespace platform
