// The main dialog's window (template 102): the system menu's About item,
// the icon, the font list, and 実行 / 中止 handed to CKestrelDlg.
#pragma once

#include <string>

#include "app/win32/DialogWindow.h"

class CKestrelDlg;

class CMainWindow : public CDialogWindow {
 public:
  // `bigIcon` and `smallIcon` stay owned by the caller.
  CMainWindow(CKestrelDlg& dialog, HICON bigIcon, HICON smallIcon);

  // Runs the dialog until the flow ends it: its result.
  int Run();

  void InsertFontListColumn();
  void AddFontListRow(const std::string& path);
  void Redraw();
  void Hide();

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInitDialog();
  void AppendAboutItem();
  // Closes the window once the flow has ended the dialog.
  void EndIfEnded();
  bool PaintMinimised();

  CKestrelDlg& m_dialog;
  HICON m_bigIcon;
  HICON m_smallIcon;
};
