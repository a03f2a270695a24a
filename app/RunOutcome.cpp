// The exit statuses of a run on each system.
#include "app/RunOutcome.h"

int WindowsExitStatus(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kRevised:
      // The program's own end message says it: a restart makes the revised
      // fonts effective (and completes those Windows held).
      return exit_status::kRestartRequired;
    case RunOutcome::kNothingToRevise:
      return exit_status::kSuccess;
    case RunOutcome::kStopped:
      return exit_status::kUserCancelled;
    case RunOutcome::kAnotherCopy:
      return exit_status::kAlreadyRunning;
    case RunOutcome::kFailed:
    case RunOutcome::kLockRefused:
      break;
  }
  return exit_status::kFailed;
}

int LinuxExitStatus(RunOutcome outcome, bool unattended) {
  switch (outcome) {
    case RunOutcome::kRevised:
      return exit_status::kLinuxRevised;
    case RunOutcome::kNothingToRevise:
      return unattended ? exit_status::kLinuxNothingToRevise : exit_status::kLinuxNotRevised;
    case RunOutcome::kAnotherCopy:
      return exit_status::kLinuxAnotherCopy;
    case RunOutcome::kLockRefused:
      return exit_status::kLinuxLockRefused;
    case RunOutcome::kStopped:
    case RunOutcome::kFailed:
      break;
  }
  return exit_status::kLinuxNotRevised;
}

const char* OutcomeText(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kRevised:
      return "fonts revised; a restart makes them effective";
    case RunOutcome::kNothingToRevise:
      return "nothing to revise: no font found that this update revises";
    case RunOutcome::kStopped:
      return "stopped";
    case RunOutcome::kAnotherCopy:
      return "not run: another copy of this program is running";
    case RunOutcome::kLockRefused:
      return "not run: the lock that marks a running copy cannot be trusted";
    case RunOutcome::kFailed:
      break;
  }
  return "failed";
}
