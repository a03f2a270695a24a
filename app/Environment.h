// Whether the program may run here: the Windows version and the
// administrator's rights, as environment codes.
#pragma once

#include "platform/System.h"

namespace environment_code {
constexpr int kVista = 7;
constexpr int kWindows7 = 8;
constexpr int kWindows81 = 10;
constexpr int kWindows10 = 11;
constexpr int kNoVersion = 1000;
constexpr int kOlderSystem = 1001;
constexpr int kOtherSystem = 1002;
constexpr int kNotAdministrator = 1005;
}  // namespace environment_code

// The code of a version as GetVersionExA reports it.
int ClassifyOsVersion(const platform::OsVersion& version);

// The code of the system the program runs on (1000 when it cannot be read).
int GetOsVersionCode();

// The code and, for 1000, 1001, 1002 and 1005, the number of the one message
// to show; 0 when none is shown.
struct EnvironmentResult {
  int code;
  int messageId;
};
EnvironmentResult CheckEnvironmentCode();

// Only Windows 8.1 and Windows 10 or later let the run go on.
inline bool EnvironmentAllowsRun(int code) {
  return code == environment_code::kWindows81 || code == environment_code::kWindows10;
}
