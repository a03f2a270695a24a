// The updater's run in a terminal. Ctrl-C plays the part of the 中止 button:
// it only raises a flag, and the next report asks whether to stop.
#include "app/terminal/ConsoleFlow.h"

#include <atomic>
#include <csignal>
#include <istream>
#include <ostream>

#include "app/Environment.h"
#include "app/StringTable.h"
#include "engine/OpenTypeManager.h"
#include "patch/ResFileCtrl.h"
#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "search/FolderCheckCtrl.h"

namespace {

std::atomic<bool> g_stopRequested{false};

extern "C" void OnInterrupt(int) { g_stopRequested = true; }

// Messages carry Windows line ends.
std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

// At most `limit` characters of a UTF-8 line, its end kept: a folder's
// path tells most by its last folders.
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

constexpr const char* kStartIntro = "ヴェルドマークのOpenTypeフォント製品に対する改訂プログラムです。";
constexpr const char* kStartHeading = "ヴェルドマークフォント製品をご利用のお客様は、下記の対象フォントが改訂対象です。";
constexpr const char* kStartSearch =
    "フォントの改訂を実行する前に、改訂に該当するフォントを検索します。\n"
    "ご利用のコンピュータ内のフォントを検索する場合は”次へ”を押してください。\n"
    "※この検索では、まだ改訂の実行ではありません。";
constexpr const char* kFoundHeading = "検索した結果、下記のフォントが改訂の対象となります。";
constexpr const char* kExecuteHint = "改訂を実行する場合は、”実行”を押してください。";

}  // namespace

CConsoleFlow::CConsoleFlow(std::istream& in, std::ostream& out, bool rewriteLines)
    : m_in(in), m_out(out), m_rewriteLines(rewriteLines) {
  std::signal(SIGINT, OnInterrupt);
}

CConsoleFlow::~CConsoleFlow() {
  std::signal(SIGINT, SIG_DFL);
  DeleteFolderCheckCtrl();
  CResFileCtrl::ReleaseUpdateList();
}

std::string CConsoleFlow::Ask(const char* prompt, const std::string& fallback) {
  m_out << prompt << std::flush;
  std::string answer;
  if (!std::getline(m_in, answer)) {
    m_out << fallback << "\n";
    return fallback;
  }
  return answer;
}

bool CConsoleFlow::Confirm(int messageId) {
  m_out << "\n" << WithoutCarriageReturns(LoadProgramString(messageId)) << "\n";
  const std::string answer = Ask("[はい: y / いいえ: Enter] ", "");
  return answer == "y" || answer == "Y" || answer == "はい";
}

void CConsoleFlow::ShowMessage(int messageId, const std::string& path) {
  m_out << "\n" << WithoutCarriageReturns(FormatText(LoadProgramString(messageId), path)) << "\n";
}

int CConsoleFlow::Run() {
  m_out << "== " << kProgramTitle << " ==\n";
  if (!Initialise()) return 1;
  return Execute();
}

bool CConsoleFlow::Initialise() {
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  if (list->maxNum == 0 || list->count == 0 || list->maxNum != list->count) {
    ShowMessage(string_id::kPatchListFailed);
    return false;
  }
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  const EnvironmentResult environment = CheckEnvironmentCode();
  if (environment.messageId != 0) ShowMessage(environment.messageId);
  if (!EnvironmentAllowsRun(environment.code)) return false;

  m_out << "\n" << kStartIntro << "\n" << kStartHeading << "\n";
  list->ReadStartDialogLines();
  for (const std::string& line : list->fontTexts) m_out << "  " << platform::Cp932ToUtf8(line) << "\n";
  m_out << "\n" << kStartSearch << "\n";
  for (;;) {
    const std::string answer = Ask("[次へ: Enter / 中止: q] ", "");
    if (answer != "q") break;
    if (Confirm(string_id::kConfirmStopRevision)) return false;
  }
  if (search->candidates.empty()) {
    ShowMessage(string_id::kNoSourceFonts);
    return false;
  }
  m_out << "\n検索中: しばらくお待ちください。対象となるフォントを検索中です。(中止: Ctrl-C)\n";
  g_stopRequested = false;
  m_stopConfirmed = false;
  search->SearchFonts(SearchCallback, this);
  m_out << "\n";
  if (search->foundFonts.empty()) {
    ShowMessage(string_id::kNoFontFound);
    return false;
  }
  m_out << "\n" << kFoundHeading << "\n";
  for (const auto& found : search->foundFonts) m_out << "  " << found->path << "\n";
  m_out << "\n" << kExecuteHint << "\n";
  for (;;) {
    const std::string answer = Ask("[実行: Enter / 中止: q] ", "");
    if (answer != "q") return true;
    if (Confirm(string_id::kConfirmStopRevision)) return false;
  }
}

int CConsoleFlow::Execute() {
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  const int count = static_cast<int>(search->foundFonts.size());
  g_stopRequested = false;
  m_stopConfirmed = false;
  m_out << "\nフォントを改訂中 (中止: Ctrl-C)\n";
  int code = 0;
  int failedIndex = 0;
  for (int i = 0; i < count; ++i) {
    const FoundFont* found = search->GetFoundFont(static_cast<std::size_t>(i));
    if (found->skipFlag == 0) {
      COpenTypeManager manager;
      code = manager.UpdateFont(found->path, found->expectedRevision, ProgressCallback, this, count, i);
    }
    if (code != 0) {
      failedIndex = i;
      break;
    }
    platform::SleepMilliseconds(300);
  }
  if (code == 0) {
    ResetFontCache();
    ShowMessage(string_id::kRevisionSucceeded);
    const std::string answer = Ask("[再起動: y / キャンセル: Enter] ", "");
    if (answer == "y" || answer == "Y" || answer == "再起動") platform::CurrentSystemActions().Restart();
    return 0;
  }
  ShowMessage(EndMessageId(code), search->GetFoundFont(static_cast<std::size_t>(failedIndex))->path);
  return 1;
}

void CConsoleFlow::ResetFontCache() {
  for (const std::string& copy : GetFolderCheckCtrl()->downloadCopies) platform::RemoveFile(copy);
  platform::CurrentSystemActions().ResetFontCache();
}

int CConsoleFlow::SearchCallback(const char* text, void* window) {
  return static_cast<CConsoleFlow*>(window)->OnSearchText(text);
}

int CConsoleFlow::ProgressCallback(int overall, int step, const char* line1, const char* line2, void* window) {
  return static_cast<CConsoleFlow*>(window)->OnProgress(overall, step, line1, line2);
}

int CConsoleFlow::OnSearchText(const char* text) {
  if (g_stopRequested && !m_stopConfirmed) {
    if (Confirm(string_id::kConfirmStopSearch)) {
      m_stopConfirmed = true;
    } else {
      g_stopRequested = false;
    }
  }
  // On a terminal the search's line is rewritten in place, as the wait
  // window shows one line; elsewhere every line is kept.
  if (m_rewriteLines) {
    m_out << "\r\033[K  " << TailOfLine(text, kSearchLineCharacters) << std::flush;
  } else {
    m_out << "  " << text << "\n";
  }
  return m_stopConfirmed ? 1 : 0;
}

int CConsoleFlow::OnProgress(int overall, int step, const char* line1, const char* line2) {
  if (step == 10) m_out << "\n" << line1 << "\n";
  m_out << "  全体の進捗 " << overall << "%  現在の進捗 " << step << "%  " << line2 << "\n" << std::flush;
  if (g_stopRequested && !m_stopConfirmed) {
    if (Confirm(string_id::kConfirmStopRevision)) {
      m_stopConfirmed = true;
    } else {
      g_stopRequested = false;
    }
  }
  return m_stopConfirmed ? 1 : 0;
}
