// The face of a run nobody watches (started by a deployment tool as a
// service, or on Linux with --unattended): no window at all. It answers as
// the administrator who deployed the program would (次へ at the start, the
// search never stopped, 実行 when it lists a font, no restart at the end:
// the deployment tool owns restarts) and keeps a record of the run: one
// line per found font and per message, written to standard output as it
// goes, and a closing line with the exit status; at the end the whole
// record goes to the system's log.
#pragma once

#include <string>
#include <vector>

#include "app/Face.h"
#include "app/RunOutcome.h"

class CUnattendedFace : public CFace {
 public:
  // `programName` heads each line and names the record in the system's log.
  explicit CUnattendedFace(std::string programName);

  int RunMainDialog(CKestrelDlg& dialog) override;
  void InsertFontListColumn() override {}
  void AddFontListRow(const std::string& path) override { (void)path; }
  void RedrawMainWindow() override {}
  void HideMainWindow() override {}

  int ShowMessageDialog(const CMessageBoxDialog& dialog) override;
  int ShowStartDialog(CStartDialog& dialog) override;
  int ShowAboutDialog() override;

  void CreateWaitWindow(CWaitDialog& dialog) override { (void)dialog; }
  void ShowWaitWindowIfHidden() override {}
  void SetWaitLine(const std::string& line) override { (void)line; }
  void DestroyWaitWindow() override {}

  void CreateProgressWindow(CProgressDialog& dialog) override { (void)dialog; }
  void ShowProgressWindowIfHidden() override {}
  void SetProgress(const ProgressView& view) override { (void)view; }
  void DestroyProgressWindow() override {}

  void PumpMessages() override {}
  void Sleep(unsigned milliseconds) override;

  void RecordFont(const FontRecord& record) override;

  // The closing line, with the exit status the program ends with, and the
  // whole record to the system's log.
  void Finish(RunOutcome outcome, int exitStatus);

  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  void Write(const std::string& line);

  std::string m_programName;
  std::vector<std::string> m_lines;
  int m_revised = 0;
  int m_atRestart = 0;
  int m_failed = 0;
};
