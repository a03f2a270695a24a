// Run-time library services: time, pseudo-random numbers, sleeping, pumping
// the window messages, and splitting paths by the C runtime's _splitpath rules.
#pragma once

#include <string>

namespace platform {

// Seconds since 1970-01-01 00:00 UTC.
long long TimeSeconds();

// A pseudo-random non-negative integer (rand()).
int RandomNumber();

void SleepMilliseconds(unsigned milliseconds);

// Empties the thread's window message queue (PeekMessageA with PM_REMOVE,
// TranslateMessage, DispatchMessageA). Nothing to do where there are no windows.
void PumpMessages();

// Whether `c` starts a double-byte character of the ANSI code page
// (Windows: IsDBCSLeadByte, CP932 on a Japanese system). Never on Linux,
// whose UTF-8 paths have no byte of a character that passes for an ASCII one.
bool IsLeadByte(unsigned char c);

// A path split as _splitpath splits it: drive ("C:" or empty), folder (with
// its trailing separator), base name, extension (with its dot). Both '\\'
// and '/' separate; on Windows the double-byte characters of the ANSI code
// page are respected, so a trail byte 0x5C is no separator.
struct SplitPathParts {
  std::string drive;
  std::string folder;
  std::string baseName;
  std::string extension;
};
SplitPathParts SplitPath(const std::string& path);

}  // namespace platform
