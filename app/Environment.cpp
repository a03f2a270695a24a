// Classifying the system and checking the user's rights.
#include "app/Environment.h"

#include "app/StringTable.h"

int ClassifyOsVersion(const platform::OsVersion& v) {
  using namespace environment_code;
  switch (v.platformId) {
    case 0:
      return kOlderSystem;
    case 1:
      if (v.major == 4 && (v.minor == 0 || v.minor == 10 || v.minor == 90)) return kOlderSystem;
      return kOtherSystem;
    case 2:
      if (v.major <= 4) return kOlderSystem;
      if (v.major == 5) return kOtherSystem;
      if (v.major == 6) {
        if (v.minor == 0) return kVista;
        if (v.minor == 1) return kWindows7;
        if (v.minor == 3) return kWindows81;
        return kOtherSystem;
      }
      if (v.major >= 10) return kWindows10;
      return kOtherSystem;
    default:
      return kOtherSystem;
  }
}

int GetOsVersionCode() {
  platform::OsVersion version;
  if (!platform::GetOsVersion(version)) return environment_code::kNoVersion;
  return ClassifyOsVersion(version);
}

EnvironmentResult CheckEnvironmentCode() {
  using namespace environment_code;
  const int code = GetOsVersionCode();
  if (code == kNoVersion) return {code, string_id::kSetupError};
  if (code == kOlderSystem || code == kOtherSystem) return {code, string_id::kUnsupportedOs};
  if (code >= 4 && !platform::IsUserAdministrator()) return {kNotAdministrator, string_id::kNotAdministrator};
  return {code, 0};
}
