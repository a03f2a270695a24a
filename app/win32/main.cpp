// The updater on Windows: the common controls the dialogs use (the font
// list, the progress bars), then the application, which runs one copy at a
// time and the main dialog through the Windows face.
// windows.h first: the other system headers need its types.
#include <windows.h>

#include <commctrl.h>

#include "app/KestrelApp.h"
#include "app/win32/Win32Face.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
  ::InitCommonControlsEx(&controls);

  CWin32Face face;
  CKestrelApp app;
  return app.InitInstance(face);
}
