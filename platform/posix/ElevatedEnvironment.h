// What an elevated run keeps of the environment it was started with.
#pragma once

namespace platform::posix {

// The search path for system programs an elevated run starts.
inline constexpr const char* kSystemPath = "/usr/sbin:/usr/bin:/sbin:/bin";

// Run as root (sudo -E, su without -, a service with a user's settings),
// the program takes nothing from a setting that names a file another user
// could have written: the terminal description (TERMINFO, TERMINFO_DIRS,
// TERMCAP, and ~/.terminfo through a HOME that is not root's own), the
// code converters and locales the conversion of the update list loads
// (GCONV_PATH, LOCPATH), and the search path for programs (PATH, made the
// system's). Nothing is changed for anyone else. Called first thing in
// main, before the locale, the conversions and the screen.
void LeaveOutUsersSettings();

}  // namespace platform::posix
