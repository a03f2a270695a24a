// Time, random numbers and sleeping on Linux; no window messages to pump.
#include "platform/Runtime.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <thread>

namespace platform {

long long TimeSeconds() { return static_cast<long long>(std::time(nullptr)); }

// Seeded once per process from the time and the process number: unseeded,
// every process draws the same numbers, and two runs in one second would
// pick the same temporary names.
int RandomNumber() {
  static const bool seeded = [] {
    std::srand(static_cast<unsigned>(std::time(nullptr)) ^ (static_cast<unsigned>(::getpid()) << 16));
    return true;
  }();
  (void)seeded;
  return std::rand();
}

void SleepMilliseconds(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void PumpMessages() {}

bool IsLeadByte(unsigned char) { return false; }

}  // namespace platform
