// A run with no window: the deploying administrator's answers, and the record.
#include "app/UnattendedFace.h"

#include <utility>

#include "app/DialogResult.h"
#include "app/KestrelDlg.h"
#include "app/MessageDialogs.h"
#include "app/StartDialog.h"
#include "font/HeadTable.h"
#include "font/ResultCode.h"
#include "platform/Runtime.h"
#include "platform/Text.h"
#include "platform/Unattended.h"

namespace {

// Outside text on one line of the record: control characters escaped, so a
// file name cannot start a line of its own.
std::string OneLine(const std::string& text) { return platform::EscapeForTerminal(text); }

// The program's message on one line: its line ends become spaces, its path
// escaped.
std::string MessageLine(const CMessageBoxDialog& dialog) {
  std::string text =
      dialog.MessageShowingPath([](const std::string& path) { return OneLine(platform::PathToProgramText(path)); });
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    line += text[i] == '\n' ? ' ' : text[i];
  }
  return line;
}

const char* FailureText(int code) {
  switch (code) {
    case result_code::kFailed:
      return "could not be read, or does not fit its patch; nothing written";
    case result_code::kStopped:
      return "stopped";
    case result_code::kReplaceFailed:
      return "could not be replaced (in use, or the folder refuses it); the installed font is unchanged";
    case result_code::kCannotWrite:
      return "the revised font could not be written to the temporary folder (full, or it refuses); nothing written";
    case result_code::kRereadFailed:
      return "could not be read back; the installed font was put back";
    case result_code::kVerifyMismatch:
      return "read back different; the installed font was put back";
    default:
      return "failed";
  }
}

}  // namespace

CUnattendedFace::CUnattendedFace(std::string programName) : m_programName(std::move(programName)) {}

int CUnattendedFace::RunMainDialog(CKestrelDlg& dialog) {
  dialog.OnInitDialog();
  // 実行 once the list is there; an empty list (the update list could not
  // be read) has nothing to run, and the dialog then ends here.
  if (!dialog.Ended()) dialog.OnExecute();
  return dialog.Result();
}

int CUnattendedFace::ShowMessageDialog(const CMessageBoxDialog& dialog) {
  Write("message " + std::to_string(dialog.StringId()) + ": " + MessageLine(dialog));
  switch (dialog.GetKind()) {
    case CMessageBoxDialog::Kind::kOk:
    case CMessageBoxDialog::Kind::kEnd:
      return kIdOk;
    case CMessageBoxDialog::Kind::kMessage:    // a stop is never asked for
    case CMessageBoxDialog::Kind::kNormalEnd:  // no restart: the deployment tool decides
      break;
  }
  return kIdCancel;
}

int CUnattendedFace::ShowStartDialog(CStartDialog& dialog) {
  dialog.OnInitDialog();
  return kIdOk;
}

int CUnattendedFace::ShowAboutDialog() { return kIdOk; }

void CUnattendedFace::Sleep(unsigned milliseconds) { platform::SleepMilliseconds(milliseconds); }

void CUnattendedFace::RecordFont(const FontRecord& record) {
  std::string line = OneLine(record.path) + ": " + FormatRevision(record.oldRevision);
  if (!record.attempted) {
    Write(line + ": not revised: the run ended at an earlier font");
    return;
  }
  if (record.newRevision != 0) line += " -> " + FormatRevision(record.newRevision);
  if (record.code == result_code::kRevised) {
    ++m_revised;
    if (record.atRestart) {
      ++m_atRestart;
      line += ": revised at the next restart (Windows holds the font until then)";
    } else {
      line += ": revised";
    }
  } else {
    ++m_failed;
    line += ": failed (" + std::to_string(record.code) + "): " + FailureText(record.code);
  }
  Write(line);
}

void CUnattendedFace::Finish(RunOutcome outcome, int exitStatus) {
  std::string line = "exit status " + std::to_string(exitStatus) + ": " + OutcomeText(outcome);
  if (m_revised + m_failed > 0) {
    line += " (" + std::to_string(m_revised) + " revised";
    if (m_atRestart > 0) line += ", " + std::to_string(m_atRestart) + " of them at the next restart";
    line += ", " + std::to_string(m_failed) + " failed)";
  }
  Write(line);
  const bool failed = outcome == RunOutcome::kFailed || outcome == RunOutcome::kLockRefused;
  platform::WriteSystemLog(m_programName, m_lines, failed);
}

void CUnattendedFace::Write(const std::string& line) {
  m_lines.push_back(m_programName + ": " + line);
  platform::WriteStandardOutput(m_lines.back() + "\n");
}
