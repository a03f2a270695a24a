// The updater in a terminal, line by line: every dialog printed as its text,
// every button asked for as a short answer. Ctrl-C is the 中止 button of the
// wait and progress windows: it only raises a flag, and the next report asks.
#pragma once

#include <iosfwd>
#include <string>

#include "app/Face.h"

class CLineFace : public CFace {
 public:
  // `rewriteLines`: the output is a terminal, so the search's line is
  // rewritten in place.
  CLineFace(std::istream& in, std::ostream& out, bool rewriteLines);
  ~CLineFace() override;

  int RunMainDialog(CKestrelDlg& dialog) override;
  void InsertFontListColumn() override;
  void AddFontListRow(const std::string& path) override;
  void RedrawMainWindow() override {}
  void HideMainWindow() override {}

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
  // One line of the user's answer; false at the end of the input.
  bool Ask(const char* prompt, std::string& answer);

  std::istream& m_in;
  std::ostream& m_out;
  bool m_rewriteLines;
  CWaitDialog* m_wait = nullptr;
  CProgressDialog* m_progress = nullptr;
  std::string m_lastLine1;
};
