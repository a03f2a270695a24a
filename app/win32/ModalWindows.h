// The modal dialog windows besides the main dialog: the four message
// dialogs (templates 131 to 134), the start dialog (129) and the version box
// (100). Each shows what its flow object holds and returns the button.
#pragma once

#include "app/win32/DialogWindow.h"

class CMessageBoxDialog;
class CStartDialog;

class CMessageWindow : public CDialogWindow {
 public:
  explicit CMessageWindow(const CMessageBoxDialog& dialog) : m_dialog(dialog) {}
  int Show(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  const CMessageBoxDialog& m_dialog;
};

class CStartWindow : public CDialogWindow {
 public:
  explicit CStartWindow(CStartDialog& dialog) : m_dialog(dialog) {}
  int Show(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static std::string FirstLine(const std::string& text);

  CStartDialog& m_dialog;
};

class CAboutWindow : public CDialogWindow {
 public:
  int Show(HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
