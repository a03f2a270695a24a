// The scripted face.
#include "tests/app/ScriptedFace.h"

#include <gtest/gtest.h>

#include "app/DialogResult.h"
#include "app/KestrelDlg.h"
#include "app/MessageDialogs.h"
#include "app/ProgressDialog.h"
#include "app/StartDialog.h"
#include "app/WaitDialog.h"

namespace {

const char* ClassName(CMessageBoxDialog::Kind kind) {
  switch (kind) {
    case CMessageBoxDialog::Kind::kOk:
      return "COKDialog";
    case CMessageBoxDialog::Kind::kMessage:
      return "CMessageDialog";
    case CMessageBoxDialog::Kind::kEnd:
      return "CEndDialog";
    case CMessageBoxDialog::Kind::kNormalEnd:
      return "CNormalEndDialog";
  }
  return "?";
}

}  // namespace

int CScriptedFace::NextAnswer(const std::string& what) {
  if (answers.empty()) {
    ADD_FAILURE() << "no answer left for " << what;
    return kIdCancel;
  }
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

int CScriptedFace::RunMainDialog(CKestrelDlg& dialog) {
  m_main = &dialog;
  dialog.OnInitDialog();
  while (!dialog.Ended()) {
    if (commands.empty()) {
      ADD_FAILURE() << "the main dialog is open and the script has no command left";
      break;
    }
    const std::string command = commands.front();
    commands.pop_front();
    log.push_back("main: " + command);
    if (command == "実行") {
      dialog.OnExecute();
    } else if (command == "中止") {
      dialog.OnAbort();
    } else {
      dialog.OnSysCommand(0x0010);
    }
  }
  return dialog.Result();
}

int CScriptedFace::ShowMessageDialog(const CMessageBoxDialog& dialog) {
  std::string line = std::string(ClassName(dialog.GetKind())) + " " + std::to_string(dialog.StringId());
  messages.push_back(dialog.Message());
  // One-button dialogs have nothing to ask.
  if (!dialog.HasCancelButton()) {
    log.push_back(line);
    return kIdOk;
  }
  const int answer = NextAnswer(line);
  log.push_back(line + " -> " + std::to_string(answer));
  return answer;
}

int CScriptedFace::ShowStartDialog(CStartDialog& dialog) {
  dialog.OnInitDialog();
  startHeading = dialog.heading;
  for (int i = 0; i < 3; ++i) startColumns[i] = dialog.columns[i];
  for (;;) {
    const int answer = NextAnswer("CStartDialog");
    log.push_back("CStartDialog -> " + std::to_string(answer));
    if (answer != kIdCancel) return answer;
    if (dialog.OnCancel()) return kIdCancel;
  }
}

int CScriptedFace::ShowAboutDialog() {
  log.push_back("CAboutDlg");
  return kIdOk;
}

void CScriptedFace::CreateWaitWindow(CWaitDialog& dialog) {
  log.push_back("CWaitDialog");
  m_wait = &dialog;
  m_waitReports = 0;
}

void CScriptedFace::DestroyWaitWindow() {
  log.push_back("CWaitDialog closed");
  m_wait = nullptr;
}

void CScriptedFace::CreateProgressWindow(CProgressDialog& dialog) {
  log.push_back("CProgressDialog");
  m_progress = &dialog;
  m_progressReports = 0;
}

void CScriptedFace::DestroyProgressWindow() {
  log.push_back("CProgressDialog closed");
  m_progress = nullptr;
}

void CScriptedFace::PumpMessages() {
  if (m_progress != nullptr) {
    ++m_progressReports;
    if (m_progressReports == stopAtProgressReport) m_progress->OnAbort();
    if (m_progressReports == executeAtProgressReport && m_main != nullptr) {
      log.push_back("main: 実行");
      m_main->OnExecute();
    }
  } else if (m_wait != nullptr) {
    if (++m_waitReports == stopAtWaitReport) m_wait->OnAbort();
  }
}
