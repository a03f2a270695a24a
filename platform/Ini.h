// Reading the update list's INI file with the results of
// GetPrivateProfileStringA and GetPrivateProfileIntA: section and key names
// compared without regard to case, blanks around values removed, values cut
// to the caller's buffer size, CP932 bytes returned unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The value of `key` in `section`, or `defaultValue` when missing, cut to
// bufferSize - 1 bytes as the Windows function cuts it.
std::string ReadProfileString(const std::string& iniPath, const char* section, const char* key,
                              const char* defaultValue, std::size_t bufferSize);

// The integer value of `key` in `section`, or `defaultValue` when missing.
int ReadProfileInt(const std::string& iniPath, const char* section, const char* key, int defaultValue);

// The names of the keys of `section`, in the order of the file; empty when
// the file or the section is missing.
std::vector<std::string> ReadProfileKeyNames(const std::string& iniPath, const char* section);

}  // namespace platform
