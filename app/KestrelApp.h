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

  // Ends at once, with no window, when another copy runs (the lock named
  // after the executable's base name with ".EXE"); otherwise runs the main
  // dialog through `face`. The exit status: 0 when every font was revised,
  // 1 otherwise, 0 for a second copy.
  int InitInstance(CFace& face);
  // Releases the lock.
  void ExitInstance();

 private:
  std::unique_ptr<platform::SingleInstanceLock> m_instanceMutex;
};
