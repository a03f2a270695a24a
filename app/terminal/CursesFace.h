// The updater's face in a terminal, with ncursesw: every dialog a framed box
// with its title, its text and its buttons, drawn over the main window as
// the Windows dialogs are. Enter presses the focused button (at first the
// default one), Tab and the arrows move between buttons, Esc presses the
// button Esc or the close box gives on Windows. The wait and progress
// windows take neither Enter nor Esc: their 中止 has its own key, Q (or
// Ctrl-C). When the input ends, every question is answered as a stop and
// nothing is consented to.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/Face.h"

class CCursesFace : public CFace {
 public:
  // Takes over the terminal; the destructor gives it back.
  CCursesFace();
  ~CCursesFace() override;
  CCursesFace(const CCursesFace&) = delete;
  CCursesFace& operator=(const CCursesFace&) = delete;

  int RunMainDialog(CKestrelDlg& dialog) override;
  void InsertFontListColumn() override { m_listColumn = true; }
  void AddFontListRow(const std::string& path) override;
  void RedrawMainWindow() override { Paint(); }
  void HideMainWindow() override;

  int ShowMessageDialog(const CMessageBoxDialog& dialog) override;
  int ShowStartDialog(CStartDialog& dialog) override;
  int ShowAboutDialog() override;

  void CreateWaitWindow(CWaitDialog& dialog) override;
  void ShowWaitWindowIfHidden() override {}
  void SetWaitLine(const std::string& line) override;
  void DestroyWaitWindow() override;

  void CreateProgressWindow(CProgressDialog& dialog) override;
  void ShowProgressWindowIfHidden() override {}
  void SetProgress(const ProgressView& view) override;
  void DestroyProgressWindow() override;

  void PumpMessages() override;
  void Sleep(unsigned milliseconds) override;

 private:
  struct Button {
    std::string label;
    int result;
  };
  // A modal box. A press of a button closes it with that button's result
  // unless `accept` says no. `escape` is the result Esc presses (0: Esc does
  // nothing); `endOfInput` the one pressed when the input has ended.
  struct Modal {
    std::string title;
    std::vector<std::string> body;  // escaped lines, before folding
    std::vector<Button> buttons;
    int escape = 0;
    int endOfInput = 0;
    std::function<bool(int result)> accept;
  };
  int RunModal(Modal modal);

  // Draws every window that is open, the main window first, and the modal
  // boxes on top.
  void Paint();
  void PaintMain();
  void PaintWait();
  void PaintProgress();
  // A framed box of `width` x `height` cells, centred; its top row.
  int Frame(int width, int height, const std::string& title, int& left);
  void PaintButtons(int row, int left, int width, const std::vector<Button>& buttons, int focus);

  // The next key, waiting for one or not. Resizes are handled here.
  int ReadKey(bool wait);

  bool m_mainVisible = false;
  bool m_listColumn = false;
  std::vector<std::string> m_rows;
  std::size_t m_selected = 0;
  int m_mainFocus = 0;

  CWaitDialog* m_wait = nullptr;
  std::string m_waitLine;
  CProgressDialog* m_progress = nullptr;
  ProgressView m_view;

  std::vector<std::function<void()>> m_modals;  // painters of the open modal boxes
  bool m_inputEnded = false;
};
