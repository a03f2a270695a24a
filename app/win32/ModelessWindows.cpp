// The wait and progress windows on screen.
#include "app/win32/ModelessWindows.h"

#include <commctrl.h>

#include "app/Face.h"
#include "app/ProgressDialog.h"
#include "app/WaitDialog.h"
#include "resources/resource.h"

namespace {

constexpr int kPercentMax = 100;

// Opened windows are shown and painted before the flow goes on.
bool ShowNow(HWND window) {
  if (window == nullptr) return false;
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  return true;
}

}  // namespace

void ShowIfHidden(HWND window) {
  if (window != nullptr && !::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOW);
}

bool CWaitWindow::Open(HWND owner) { return CreateModeless(IDD_WAIT_DIALOG, owner) && ShowNow(Window()); }

void CWaitWindow::SetLine(const std::string& line) {
  if (Window() != nullptr) SetEditText(IDC_WAIT_LINE, line);
}

INT_PTR CWaitWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (IsClick(wParam, IDC_WAIT_ABORT)) {
        m_dialog.OnAbort();
        return TRUE;
      }
      return IsClick(wParam, IDOK) || IsClick(wParam, IDCANCEL) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

bool CProgressWindow::Open(HWND owner) {
  if (!CreateModeless(IDD_PROGRESS_DIALOG, owner)) return false;
  for (const int bar : {IDC_PROGRESS_OVERALL, IDC_PROGRESS_STEP}) {
    ::SendDlgItemMessageW(Window(), bar, PBM_SETRANGE32, 0, kPercentMax);
    ::SendDlgItemMessageW(Window(), bar, PBM_SETPOS, 0, 0);
  }
  return ShowNow(Window());
}

void CProgressWindow::Show(const ProgressView& view) {
  if (Window() == nullptr) return;
  ::SendDlgItemMessageW(Window(), IDC_PROGRESS_OVERALL, PBM_SETPOS, static_cast<WPARAM>(view.overall), 0);
  ::SendDlgItemMessageW(Window(), IDC_PROGRESS_STEP, PBM_SETPOS, static_cast<WPARAM>(view.step), 0);
  SetPercentText(IDC_OVERALL_PERCENT, view.overallText);
  SetPercentText(IDC_STEP_PERCENT, view.stepText);
  SetEditText(IDC_PROGRESS_LINE1, view.line1);
  SetEditText(IDC_PROGRESS_LINE2, view.line2);
}

void CProgressWindow::SetPercentText(int controlId, const std::string& text) {
  SetItemText(controlId, text);
  const HWND control = ::GetDlgItem(Window(), controlId);
  if (control != nullptr) ::UpdateWindow(control);
}

INT_PTR CProgressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (IsClick(wParam, IDC_PROGRESS_ABORT)) {
        m_dialog.OnAbort();
        return TRUE;
      }
      return IsClick(wParam, IDOK) || IsClick(wParam, IDCANCEL) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}
