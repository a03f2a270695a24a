// Time, random numbers and sleeping on Linux; no window messages to pump.
#include "platform/Runtime.h"

#include <cstdlib>
#include <ctime>
#include <thread>

namespace platform {

long long TimeSeconds() { return static_cast<long long>(std::time(nullptr)); }

int RandomNumber() { return std::rand(); }

void SleepMilliseconds(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void PumpMessages() {}

bool IsLeadByte(unsigned char) { return false; }

}  // namespace platform
