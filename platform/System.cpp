// The switches between the real system and the answers tests install, shared
// by both platforms; the real answers are in win32/System.cpp and
// posix/System.cpp.
#include "platform/System.h"

#include "platform/SystemServices.h"

namespace platform {
namespace {

const EnvironmentSource*& InstalledEnvironment() {
  static const EnvironmentSource* source = nullptr;
  return source;
}

SystemActions*& InstalledActions() {
  static SystemActions* actions = nullptr;
  return actions;
}

}  // namespace

bool GetOsVersion(OsVersion& version) {
  version = OsVersion{};
  const EnvironmentSource* source = InstalledEnvironment();
  return source ? source->GetOsVersion(version) : detail::RealGetOsVersion(version);
}

bool IsUserAdministrator() {
  const EnvironmentSource* source = InstalledEnvironment();
  return source ? source->IsUserAdministrator() : detail::RealIsUserAdministrator();
}

void SetEnvironmentSource(const EnvironmentSource* source) { InstalledEnvironment() = source; }

SystemActions& CurrentSystemActions() {
  SystemActions* actions = InstalledActions();
  return actions ? *actions : detail::RealSystemActions();
}

void SetSystemActions(SystemActions* actions) { InstalledActions() = actions; }

}  // namespace platform
