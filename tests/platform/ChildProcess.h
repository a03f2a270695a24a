// Runs this test program once more as a second process, to see what a second
// copy of a program sees.
#pragma once

#include <string>

namespace platform_test {

// Starts this test program with "--gtest_filter=`filter`" and the environment
// variable `name` set to `value`, waits for it and returns its exit code
// (-1 when it could not be started).
int RunThisProgram(const std::string& filter, const std::string& name, const std::string& value);

// Whether the program runs under Wine rather than on Windows itself (false
// on Linux): some checks may change a Windows system folder only in Wine's
// throw-away prefix.
bool RunningUnderWine();

}  // namespace platform_test
