// The application object: one copy of the program at a time, then the main
// dialog; the program ends when it closes.
#pragma once

#include <memory>

namespace platform {
class SingleInstanceLock;
}
class CFace;

class CKestrelApp {
 public:
  CKestrelApp();
  ~CKestrelApp();

  // The exit status of a copy that did not run: another copy holds the lock,
  // or the lock found is not one the program made.
  static constexpr int kAnotherCopyStatus = 3;
  static constexpr int kLockRefusedStatus = 4;

  // Takes the lock named after the executable's base name with ".EXE": 0
  // when this copy may run, kAnotherCopyStatus when another copy runs,
  // kLockRefusedStatus when the lock cannot be trusted. A face that takes
  // over the screen asks first, so that a copy that does not run leaves the
  // screen as it was.
  int TakeInstanceLock();
  // Ends at once, with no window, when the lock is not this copy's (taken
  // here unless TakeInstanceLock took it); otherwise runs the main dialog
  // through `face`. The exit status: 0 when every font was revised, 1
  // otherwise, kAnotherCopyStatus or kLockRefusedStatus when it did not run.
  int InitInstance(CFace& face);
  // Releases the lock.
  void ExitInstance();

 private:
  std::unique_ptr<platform::SingleInstanceLock> m_instanceMutex;
};
