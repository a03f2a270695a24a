// How a run of the program ended, and the exit status that says so: on
// Windows by the conventions deployment tools read (Windows Installer's),
// on Linux the program's own.
#pragma once

enum class RunOutcome {
  kRevised,          // fonts were revised (some perhaps at the next restart)
  kNothingToRevise,  // no font found: none installed, or every one revised already
  kStopped,          // the user stopped it
  kFailed,           // a font failed, or the program could not work here
  kAnotherCopy,      // another copy runs
  kLockRefused,      // the lock that marks a running copy cannot be trusted (Linux)
};

namespace exit_status {
// Windows.
inline constexpr int kSuccess = 0;
inline constexpr int kRestartRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
inline constexpr int kUserCancelled = 1602;    // ERROR_INSTALL_USEREXIT
inline constexpr int kFailed = 1603;           // ERROR_INSTALL_FAILURE
inline constexpr int kAlreadyRunning = 1618;   // ERROR_INSTALL_ALREADY_RUNNING
// Linux.
inline constexpr int kLinuxRevised = 0;
inline constexpr int kLinuxNotRevised = 1;
inline constexpr int kLinuxUsage = 2;  // no terminal, or an unknown option
inline constexpr int kLinuxAnotherCopy = 3;
inline constexpr int kLinuxLockRefused = 4;
inline constexpr int kLinuxNothingToRevise = 5;  // the unattended run only
}  // namespace exit_status

int WindowsExitStatus(RunOutcome outcome);
// The terminal run reports anything but a revision as 1, as it always has;
// the unattended run tells "nothing needed revising" (5) from "revised" (0).
int LinuxExitStatus(RunOutcome outcome, bool unattended);
// A few words on the outcome, for the record of an unattended run.
const char* OutcomeText(RunOutcome outcome);
