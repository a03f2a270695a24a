// The updater on Windows: the application, which runs one copy at a time
// and the main dialog, through the Windows face, or with no window at all
// where nobody can see one (a deployment tool's service in session 0). The
// exit status follows the conventions deployment tools read: 3010 revised
// (a restart makes the fonts effective), 0 nothing to revise, 1602 stopped
// by the user, 1603 failed, 1618 another copy runs.
// windows.h first: the other system headers need its types.
#include <windows.h>

#include <commctrl.h>

#include "app/KestrelApp.h"
#include "app/RunOutcome.h"
#include "app/UnattendedFace.h"
#include "app/win32/Win32Face.h"
#include "platform/System.h"
#include "platform/Unattended.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CKestrelApp app;
  // Only where it is certain that no one sees a window: anywhere else a
  // wrong guess would revise fonts without the user's consent.
  if (platform::NoOneSeesTheScreen()) {
    CUnattendedFace face(platform::ExecutableBaseName());
    const RunOutcome outcome = app.InitInstance(face);
    const int status = WindowsExitStatus(outcome);
    face.Finish(outcome, status);
    return status;
  }

  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
  ::InitCommonControlsEx(&controls);

  CWin32Face face;
  return WindowsExitStatus(app.InitInstance(face));
}
