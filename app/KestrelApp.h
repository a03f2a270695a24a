// The application object: one copy of the program at a time, then the main
// dialog; the program ends when it closes.
#pragma once

#include <memory>

#include "app/RunOutcome.h"

namespace platform {
class SingleInstanceLock;
}
class CFace;

class CKestrelApp {
 public:
  CKestrelApp();
  ~CKestrelApp();

  // Takes the lock named after the executable's base name with ".EXE":
  // kRevised when this copy may run (nothing has happened yet),
  // kAnotherCopy when another copy runs, kLockRefused when the lock cannot
  // be trusted. A face that takes over the screen asks first, so that a
  // copy that does not run leaves the screen as it was.
  RunOutcome TakeInstanceLock();
  // Ends at once, with no window, when the lock is not this copy's (taken
  // here unless TakeInstanceLock took it); otherwise runs the main dialog
  // through `face`. How the run ended; each face's program turns that into
  // its system's exit status.
  RunOutcome InitInstance(CFace& face);
  // Releases the lock.
  void ExitInstance();

 private:
  std::unique_ptr<platform::SingleInstanceLock> m_instanceMutex;
};
