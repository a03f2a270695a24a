// The application start: the single instance, then the main dialog.
#include "app/KestrelApp.h"

#include "app/Face.h"
#include "app/KestrelDlg.h"
#include "platform/System.h"

CKestrelApp::CKestrelApp() = default;

CKestrelApp::~CKestrelApp() { ExitInstance(); }

RunOutcome CKestrelApp::TakeInstanceLock() {
  if (m_instanceMutex != nullptr) return RunOutcome::kRevised;
  m_instanceMutex = std::make_unique<platform::SingleInstanceLock>(platform::ExecutableBaseName() + ".EXE");
  // A second copy ends at once, with no window; the first is not disturbed.
  // Its outcome says why it did not run, so that the face can tell the user.
  if (m_instanceMutex->AnotherCopyRunning() || m_instanceMutex->Refused()) {
    const RunOutcome outcome = m_instanceMutex->Refused() ? RunOutcome::kLockRefused : RunOutcome::kAnotherCopy;
    m_instanceMutex.reset();
    return outcome;
  }
  return RunOutcome::kRevised;
}

RunOutcome CKestrelApp::InitInstance(CFace& face) {
  if (const RunOutcome locked = TakeInstanceLock(); locked != RunOutcome::kRevised) return locked;
  CKestrelDlg dialog(face);
  face.RunMainDialog(dialog);
  return dialog.Outcome();
}

void CKestrelApp::ExitInstance() { m_instanceMutex.reset(); }
