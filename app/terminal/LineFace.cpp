// The line-by-line terminal face.
#include "app/terminal/LineFace.h"

#include <atomic>
#include <csignal>
#include <istream>
#include <ostream>

#include "app/DialogResult.h"
#include "app/KestrelDlg.h"
#include "app/MessageDialogs.h"
#include "app/ProgressDialog.h"
#include "app/StartDialog.h"
#include "app/StringTable.h"
#include "app/WaitDialog.h"
#include "platform/Runtime.h"
#include "resources/texts.h"

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

// What the terminal gets of a text: Windows line ends made plain, and every
// other control character (a folder can be named with escape sequences)
// shown as \xNN, never sent.
std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n' || (c >= 0x20 && c != 0x7F)) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

// At most `limit` characters of a UTF-8 line, its end kept: a folder's path
// tells most by its last folders.
std::string TailOfLine(const std::string& text, std::size_t limit) {
  std::size_t characters = 0;
  for (std::size_t i = text.size(); i > 0; --i) {
    if ((static_cast<unsigned char>(text[i - 1]) & 0xC0) != 0x80 && ++characters == limit) {
      return i > 1 ? "…" + text.substr(i - 1) : text;
    }
  }
  return text;
}

constexpr std::size_t kSearchLineCharacters = 60;

}  // namespace

CLineFace::CLineFace(std::istream& in, std::ostream& out, bool rewriteLines)
    : m_in(in), m_out(out), m_rewriteLines(rewriteLines) {
  std::signal(SIGINT, OnInterrupt);
}

CLineFace::~CLineFace() { std::signal(SIGINT, SIG_DFL); }

bool CLineFace::Ask(const char* prompt, std::string& answer) {
  m_out << prompt << std::flush;
  if (std::getline(m_in, answer)) return true;
  m_out << "\n";
  return false;
}

int CLineFace::RunMainDialog(CKestrelDlg& dialog) {
  m_out << "== " << kProgramTitle << " ==\n";
  dialog.OnInitDialog();
  while (!dialog.Ended()) {
    std::string answer;
    // The end of the input is the close box: it asks, and never runs.
    if (Ask("[実行: Enter / 中止: q] ", answer) && answer != "q") {
      dialog.OnExecute();
    } else {
      dialog.OnAbort();
    }
  }
  return dialog.Result();
}

void CLineFace::InsertFontListColumn() {}

void CLineFace::AddFontListRow(const std::string& path) {
  if (m_wait != nullptr) {
    // The first row ends the search's line.
    m_out << "\n\n" << Printable(TEXT_MAIN_INTRO) << "\n";
    m_wait = nullptr;
  }
  m_out << "  " << Printable(path) << "\n";
}

int CLineFace::ShowMessageDialog(const CMessageBoxDialog& dialog) {
  m_out << "\n" << Printable(dialog.Message()) << "\n";
  std::string answer;
  switch (dialog.GetKind()) {
    case CMessageBoxDialog::Kind::kMessage:
      // Only the stop questions ask はい or いいえ: the end of the input stops.
      if (!Ask("[はい: y / いいえ: Enter] ", answer)) return kIdOk;
      return answer == "y" || answer == "Y" || answer == "はい" ? kIdOk : kIdCancel;
    case CMessageBoxDialog::Kind::kNormalEnd:
      if (!Ask("[再起動: y / キャンセル: Enter] ", answer)) return kIdCancel;
      return answer == "y" || answer == "Y" || answer == "再起動" ? kIdOk : kIdCancel;
    default:
      return kIdOk;
  }
}

int CLineFace::ShowStartDialog(CStartDialog& dialog) {
  dialog.OnInitDialog();
  m_out << "\n" << Printable(TEXT_START_INTRO) << "\n" << Printable(dialog.heading);
  for (const std::string& column : dialog.columns) {
    std::size_t begin = 0;
    for (std::size_t end; (end = column.find('\n', begin)) != std::string::npos; begin = end + 1) {
      m_out << "  " << Printable(column.substr(begin, end - begin)) << "\n";
    }
  }
  m_out << "\n" << Printable(TEXT_START_SEARCH) << "\n";
  for (;;) {
    std::string answer;
    if (Ask("[次へ: Enter / 中止: q] ", answer) && answer != "q") return kIdOk;
    if (dialog.OnCancel()) return kIdCancel;
  }
}

int CLineFace::ShowAboutDialog() {
  m_out << TEXT_ABOUT_VERSION << "\n";
  return kIdOk;
}

void CLineFace::CreateWaitWindow(CWaitDialog& dialog) {
  m_wait = &dialog;
  g_interrupted = false;
  m_out << "\n" << TEXT_WAIT_TITLE << ": " << Printable(TEXT_WAIT_INTRO) << " (中止: Ctrl-C)\n";
}

void CLineFace::SetWaitLine(const std::string& line) {
  if (m_rewriteLines) {
    m_out << "\r\033[K  " << TailOfLine(Printable(line), kSearchLineCharacters) << std::flush;
  } else {
    m_out << "  " << Printable(line) << "\n";
  }
}

void CLineFace::DestroyWaitWindow() {
  if (m_wait != nullptr) m_out << "\n";
  m_wait = nullptr;
}

void CLineFace::CreateProgressWindow(CProgressDialog& dialog) {
  m_progress = &dialog;
  g_interrupted = false;
  m_lastLine1.clear();
  m_out << "\n" << TEXT_PROGRESS_TITLE << " (中止: Ctrl-C)\n";
}

void CLineFace::SetProgress(const ProgressView& view) {
  if (view.line1 != m_lastLine1) {
    m_lastLine1 = view.line1;
    m_out << "\n" << Printable(view.line1) << "\n";
  }
  m_out << "  " << TEXT_OVERALL_PROGRESS << " " << view.overallText << "  " << TEXT_STEP_PROGRESS << " "
        << view.stepText << "  " << Printable(view.line2) << "\n"
        << std::flush;
}

void CLineFace::DestroyProgressWindow() { m_progress = nullptr; }

void CLineFace::PumpMessages() {
  if (!g_interrupted.exchange(false)) return;
  if (m_progress != nullptr) m_progress->OnAbort();
  if (m_wait != nullptr) m_wait->OnAbort();
}

void CLineFace::Sleep(unsigned milliseconds) { platform::SleepMilliseconds(milliseconds); }
