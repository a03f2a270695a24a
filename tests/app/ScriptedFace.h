// A face for tests: it records every dialog the flow shows, in one log of
// lines such as "COKDialog 119" or "CMessageDialog 102 -> 2", and answers
// from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/Face.h"
#include "platform/System.h"

class CScriptedFace : public CFace {
 public:
  // The buttons pressed in the modal dialogs, in order (kIdOk, kIdCancel). A
  // start dialog takes kIdOk for 次へ and kIdCancel for 中止 (whose
  // question takes the next answer). A dialog with no answer left is a test
  // failure and gets kIdCancel.
  std::deque<int> answers;
  // The main dialog's commands once it is open: "実行", "中止", "about".
  std::deque<std::string> commands;
  // 中止 pressed in the wait or progress window during its n-th report
  // (counted from 1 for each window); 0 for never.
  int stopAtWaitReport = 0;
  int stopAtProgressReport = 0;
  // 実行 pressed again during the n-th progress report; 0 for never.
  int executeAtProgressReport = 0;

  std::vector<std::string> log;
  std::vector<std::string> messages;  // the texts of the message dialogs shown
  std::vector<std::string> rows;
  std::vector<ProgressView> reports;
  std::vector<std::string> waitLines;
  std::vector<unsigned> sleeps;
  std::string startHeading;
  std::string startColumns[3];

  int RunMainDialog(CKestrelDlg& dialog) override;
  void InsertFontListColumn() override { log.push_back("font list column"); }
  void AddFontListRow(const std::string& path) override { rows.push_back(path); }
  void RedrawMainWindow() override {}
  void HideMainWindow() override { log.push_back("main hidden"); }

  int ShowMessageDialog(const CMessageBoxDialog& dialog) override;
  int ShowStartDialog(CStartDialog& dialog) override;
  int ShowAboutDialog() override;

  void CreateWaitWindow(CWaitDialog& dialog) override;
  void ShowWaitWindowIfHidden() override {}
  void SetWaitLine(const std::string& line) override { waitLines.push_back(line); }
  void DestroyWaitWindow() override;

  void CreateProgressWindow(CProgressDialog& dialog) override;
  void ShowProgressWindowIfHidden() override {}
  void SetProgress(const ProgressView& view) override { reports.push_back(view); }
  void DestroyProgressWindow() override;

  void PumpMessages() override;
  void Sleep(unsigned milliseconds) override { sleeps.push_back(milliseconds); }

 private:
  int NextAnswer(const std::string& what);

  CKestrelDlg* m_main = nullptr;
  CWaitDialog* m_wait = nullptr;
  CProgressDialog* m_progress = nullptr;
  int m_waitReports = 0;
  int m_progressReports = 0;
};

// The end-of-run system actions, written into a face's log instead of done.
class CRecordedActions : public platform::SystemActions {
 public:
  explicit CRecordedActions(std::vector<std::string>& log) : m_log(log) {}
  void ResetFontCache() override { m_log.push_back("font cache reset"); }
  void Restart() override { m_log.push_back("restart"); }
  void BroadcastFontChange() override { m_log.push_back("WM_FONTCHANGE"); }

 private:
  std::vector<std::string>& m_log;
};
