// The dialog procedure shared by every dialog window of the updater.
#include "app/win32/DialogWindow.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/win32/WideText.h"

namespace {

// The dialog windows open now, oldest first. One thread only: the program
// runs every window on its user-interface thread.
std::vector<const CDialogWindow*>& OpenWindows() {
  static std::vector<const CDialogWindow*> windows;
  return windows;
}

}  // namespace

CDialogWindow::~CDialogWindow() {
  // The derived window is gone already: a window still open is detached
  // first, so that its last messages go to the dialog manager alone.
  if (m_window != nullptr) {
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    ::DestroyWindow(m_window);
    m_window = nullptr;
  }
  auto& open = OpenWindows();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

INT_PTR CDialogWindow::DoModal(int templateId, HWND owner) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialogWindow::CreateModeless(int templateId, HWND owner) {
  if (m_window != nullptr) return true;
  return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialogWindow::DestroyModeless() {
  if (m_window != nullptr) ::DestroyWindow(m_window);
}

HWND CDialogWindow::NewestWindow() {
  const auto& open = OpenWindows();
  return open.empty() ? nullptr : open.back()->m_window;
}

void CDialogWindow::SetItemText(int controlId, const std::string& text) const {
  ::SetDlgItemTextW(m_window, controlId, WidenText(text).c_str());
}

void CDialogWindow::SetEditText(int controlId, const std::string& text) const {
  ::SetDlgItemTextW(m_window, controlId, WidenEditText(text).c_str());
}

void CDialogWindow::ComeToFrontIfAlone() const {
  const HWND owner = ::GetWindow(m_window, GW_OWNER);
  if (owner != nullptr && ::IsWindowVisible(owner)) return;
  // An owned window has no taskbar button unless it asks for one; the style
  // takes effect when the window is shown, which WM_INITDIALOG precedes.
  const LONG_PTR style = ::GetWindowLongPtrW(m_window, GWL_EXSTYLE);
  ::SetWindowLongPtrW(m_window, GWL_EXSTYLE, style | WS_EX_APPWINDOW);
  ::SetForegroundWindow(m_window);
}

INT_PTR CALLBACK CDialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialogWindow* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialogWindow*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_window = window;
    OpenWindows().push_back(self);
  } else {
    self = reinterpret_cast<CDialogWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  // WM_SETFONT and the like come before WM_INITDIALOG: the dialog manager's.
  if (self == nullptr) return FALSE;
  const INT_PTR answer = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_window = nullptr;
    auto& open = OpenWindows();
    open.erase(std::remove(open.begin(), open.end(), self), open.end());
  }
  return answer;
}
