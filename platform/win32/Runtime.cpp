// Time, random numbers, sleeping and the window message queue on Windows.
#include "platform/Runtime.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

namespace platform {

long long TimeSeconds() { return static_cast<long long>(std::time(nullptr)); }

// Seeded once per process from the time and the process number: unseeded,
// every process draws the same numbers, and two runs in one second would
// pick the same temporary names.
int RandomNumber() {
  static const bool seeded = [] {
    std::srand(static_cast<unsigned>(std::time(nullptr)) ^ (static_cast<unsigned>(::GetCurrentProcessId()) << 16));
    return true;
  }();
  (void)seeded;
  return std::rand();
}

void SleepMilliseconds(unsigned milliseconds) { ::Sleep(milliseconds); }

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

// The ANSI code page's lead bytes (CP932 on a Japanese Windows), so that a
// trail byte 0x5C is never taken for a separator.
bool IsLeadByte(unsigned char c) { return ::IsDBCSLeadByte(c) != 0; }

}  // namespace platform
