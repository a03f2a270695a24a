// The real system answers behind the switches of System.h, one set per
// platform (win32/System.cpp, posix/System.cpp). Only platform/ uses them.
#pragma once

#include "platform/System.h"

namespace platform::detail {

bool RealGetOsVersion(OsVersion& version);
bool RealIsUserAdministrator();
SystemActions& RealSystemActions();

}  // namespace platform::detail
