// The application start: the single instance, then the main dialog.
#include "app/KestrelApp.h"

#include "app/Face.h"
#include "app/KestrelDlg.h"
#include "platform/System.h"

CKestrelApp::CKestrelApp() = default;

CKestrelApp::~CKestrelApp() { ExitInstance(); }

int CKestrelApp::TakeInstanceLock() {
  if (m_instanceMutex != nullptr) return 0;
  m_instanceMutex = std::make_unique<platform::SingleInstanceLock>(platform::ExecutableBaseName() + ".EXE");
  // A second copy ends at once, with no window; the first is not disturbed.
  // Its status says why it did not run, so that the face can tell the user.
  if (m_instanceMutex->AnotherCopyRunning() || m_instanceMutex->Refused()) {
    const int status = m_instanceMutex->Refused() ? kLockRefusedStatus : kAnotherCopyStatus;
    m_instanceMutex.reset();
    return status;
  }
  return 0;
}

int CKestrelApp::InitInstance(CFace& face) {
  if (const int status = TakeInstanceLock(); status != 0) return status;
  int runCode = -1;
  {
    CKestrelDlg dialog(face);
    face.RunMainDialog(dialog);
    runCode = dialog.RunCode();
  }
  return runCode == 0 ? 0 : 1;
}

void CKestrelApp::ExitInstance() { m_instanceMutex.reset(); }
