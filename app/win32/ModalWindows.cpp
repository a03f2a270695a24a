// The message dialogs, the start dialog and the version box on screen.
#include "app/win32/ModalWindows.h"

#include "app/MessageDialogs.h"
#include "app/StartDialog.h"
#include "resources/resource.h"

int CMessageWindow::Show(HWND owner) { return static_cast<int>(DoModal(m_dialog.TemplateId(), owner)); }

INT_PTR CMessageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      if (m_dialog.TextControlId() == IDC_MESSAGE_TEXT) {
        SetEditText(IDC_MESSAGE_TEXT, m_dialog.Message());
      } else {
        SetItemText(m_dialog.TextControlId(), m_dialog.Message());
      }
      // The messages before the font list shows (no update data, not an
      // administrator, an unsupported Windows, nothing found) and the end
      // of a run, while the main window is hidden.
      ComeToFrontIfAlone();
      return TRUE;
    case WM_COMMAND:
      if (IsClick(wParam, IDOK)) {
        ::EndDialog(Window(), IDOK);
        return TRUE;
      }
      if (IsClick(wParam, IDCANCEL)) {
        // Esc ends every message dialog with IDCANCEL, the end of a failed
        // run too, though it has neither a second button nor a close box.
        ::EndDialog(Window(), IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// The heading is one line of its own control (ending with an ellipsis where
// it is wider), so the line breaks that follow it in the text are not drawn.
std::string CStartWindow::FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

int CStartWindow::Show(HWND owner) { return static_cast<int>(DoModal(IDD_START_DIALOG, owner)); }

INT_PTR CStartWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      m_dialog.OnInitDialog();
      SetItemText(IDC_START_HEADING, FirstLine(m_dialog.heading));
      SetItemText(IDC_START_COLUMN1, m_dialog.columns[0]);
      SetItemText(IDC_START_COLUMN2, m_dialog.columns[1]);
      SetItemText(IDC_START_COLUMN3, m_dialog.columns[2]);
      // The program's first visible window (the main dialog shows only after
      // the search): it comes to the front, active, even when reading the
      // update data took long enough for the user to turn elsewhere.
      ComeToFrontIfAlone();
      return TRUE;
    case WM_COMMAND:
      if (IsClick(wParam, IDOK)) {
        ::EndDialog(Window(), IDOK);
        return TRUE;
      }
      if (IsClick(wParam, IDCANCEL)) {
        // 中止 and Esc ask first.
        if (m_dialog.OnCancel()) ::EndDialog(Window(), IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

int CAboutWindow::Show(HWND owner) { return static_cast<int>(DoModal(IDD_ABOUTBOX, owner)); }

INT_PTR CAboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (IsClick(wParam, IDOK) || IsClick(wParam, IDCANCEL)) {
        ::EndDialog(Window(), LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
