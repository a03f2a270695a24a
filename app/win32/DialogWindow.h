// The one base of the updater's dialog windows: a template from the
// program's resources, shown modally or created modeless, whose messages
// reach the object that opened it.
#pragma once

#include <windows.h>

#include <string>

class CDialogWindow {
 public:
  CDialogWindow() = default;
  virtual ~CDialogWindow();
  CDialogWindow(const CDialogWindow&) = delete;
  CDialogWindow& operator=(const CDialogWindow&) = delete;

  // Shows template `templateId` modally, owned by `owner`: the value given
  // to EndDialog, or -1 when the dialog could not be made.
  INT_PTR DoModal(int templateId, HWND owner);
  // Creates template `templateId` as a modeless window owned by `owner`;
  // false when it could not be made.
  bool CreateModeless(int templateId, HWND owner);
  // Destroys a modeless window; nothing when there is none. Call it before
  // the object goes, so that the window's handler sees its last messages.
  void DestroyModeless();

  HWND Window() const { return m_window; }

  // The newest dialog window still open (the one a new dialog belongs to),
  // or null.
  static HWND NewestWindow();

 protected:
  // Every message from WM_INITDIALOG to WM_NCDESTROY; the answer of a
  // dialog procedure (FALSE: not handled, the dialog manager's default).
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // Whether a WM_COMMAND is a click on button `id` (Enter and Esc come as
  // clicks on IDOK and IDCANCEL).
  static bool IsClick(WPARAM wParam, int id) { return LOWORD(wParam) == id && HIWORD(wParam) == BN_CLICKED; }

  // A control's text, from the program's narrow text.
  void SetItemText(int controlId, const std::string& text) const;
  void SetEditText(int controlId, const std::string& text) const;

  // Brings a dialog that opens while none of the program's windows is on
  // screen (its owner hidden or absent) to the foreground, with a taskbar
  // button of its own, so that it cannot open unseen behind another
  // program's window. Called from WM_INITDIALOG, before the dialog shows.
  void ComeToFrontIfAlone() const;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_window = nullptr;
};
