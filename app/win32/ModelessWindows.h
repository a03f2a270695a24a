// The two modeless windows that stay on screen while the flow works: the
// wait dialog during the search (template 170) and the progress dialog
// during the update run (130). Their 中止 only tells the flow object; Enter
// and Esc do nothing (the face's message pump swallows their key-downs, and
// the IDOK and IDCANCEL they would send are ignored here).
#pragma once

#include <string>

#include "app/win32/DialogWindow.h"

class CWaitDialog;
class CProgressDialog;
struct ProgressView;

class CWaitWindow : public CDialogWindow {
 public:
  explicit CWaitWindow(CWaitDialog& dialog) : m_dialog(dialog) {}
  // Creates, shows and paints the window.
  bool Open(HWND owner);
  void SetLine(const std::string& line);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CWaitDialog& m_dialog;
};

class CProgressWindow : public CDialogWindow {
 public:
  explicit CProgressWindow(CProgressDialog& dialog) : m_dialog(dialog) {}
  bool Open(HWND owner);
  void Show(const ProgressView& view);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Sets a percentage's text and paints it at once, so that it changes even
  // while the engine keeps the message queue waiting.
  void SetPercentText(int controlId, const std::string& text);

  CProgressDialog& m_dialog;
};

// Shows `window` when it is hidden.
void ShowIfHidden(HWND window);
