// Time, random numbers, sleeping and the window message queue on Windows.
#include "platform/Runtime.h"

#include <windows.h>
// After windows.h, which it needs.
#include <timeapi.h>

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

// Sleep waits in whole ticks of the system clock, 15.6 ms unless some
// program has asked for finer ones, so each of the 1 ms pauses after a
// progress report would take a tick: over a run of hundreds of fonts, a
// minute more than the pauses it names. The finer clock is asked for just
// around a short wait and given back at once, as timeBeginPeriod's
// documentation asks; since Windows 10 2004 it applies to this process only.
void SleepMilliseconds(unsigned milliseconds) {
  constexpr unsigned kCoarseTick = 16;
  const bool fine = milliseconds < kCoarseTick && ::timeBeginPeriod(1) == TIMERR_NOERROR;
  ::Sleep(milliseconds);
  if (fine) ::timeEndPeriod(1);
}

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
