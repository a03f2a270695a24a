// The ncursesw face.
#include "app/terminal/CursesFace.h"

#include <curses.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/DialogResult.h"
#include "app/KestrelDlg.h"
#include "app/MessageDialogs.h"
#include "app/ProgressDialog.h"
#include "app/StartDialog.h"
#include "app/StringTable.h"
#include "app/WaitDialog.h"
#include "app/terminal/TextLayout.h"
#include "resources/resource.h"
#include "resources/texts.h"

namespace {

using terminal_layout::CutEnd;
using terminal_layout::CutStart;
using terminal_layout::DisplayWidth;
using terminal_layout::Escape;
using terminal_layout::EscapeLine;
using terminal_layout::Fold;

enum ColourPair : short { kScreen = 1, kBox, kFocus, kBar, kTitle };

constexpr int kEscape = 27;
constexpr int kCtrlC = 3;
constexpr int kTab = 9;

bool IsEnter(int key) { return key == '\n' || key == '\r' || key == KEY_ENTER; }

// The version box's key: the mnemonic of its system menu item on Windows,
// "...のﾊﾞｰｼﾞｮﾝ情報(&A)...".
bool IsAboutKey(int key) { return key == 'a' || key == 'A'; }

// The system menu item's text as a hint beside the key: "A: ...(A)".
std::string AboutHint() {
  std::string text = TEXT_101;
  const std::size_t mnemonic = text.find("(&A)");
  if (mnemonic != std::string::npos) text = text.substr(0, mnemonic) + "(A)";
  return "A: " + text;
}
bool IsStopKey(int key) { return key == 'q' || key == 'Q' || key == kCtrlC; }

void Put(int row, int column, const std::string& text) { mvaddstr(row, column, text.c_str()); }

// The box's lines. In a UTF-8 locale they are Unicode box characters: the
// terminal's line-drawing set is not shown by every terminal that speaks
// UTF-8 (xterm's TERM inside tmux or screen, PuTTY gave "lqqqk" and "x").
struct BoxLines {
  cchar_t ul, ur, ll, lr, h, v;
};

cchar_t BoxCharacter(const wchar_t* text) {
  cchar_t character{};
  setcchar(&character, text, A_NORMAL, 0, nullptr);
  return character;
}

const BoxLines& UnicodeBox() {
  static const BoxLines lines{BoxCharacter(L"┌"), BoxCharacter(L"┐"), BoxCharacter(L"└"),
                              BoxCharacter(L"┘"), BoxCharacter(L"─"), BoxCharacter(L"│")};
  return lines;
}

bool LocaleIsUtf8() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

std::vector<std::string> Lines(const std::string& text) { return Fold(Escape(text), 1 << 20); }

int WidestLine(const std::vector<std::string>& lines) {
  int width = 0;
  for (const std::string& line : lines) width = std::max(width, DisplayWidth(line));
  return width;
}

int ButtonsWidth(const std::vector<std::string>& labels) {
  int width = 0;
  for (const std::string& label : labels) width += DisplayWidth(label) + 4;
  return width;
}

}  // namespace

CCursesFace::CCursesFace() {
  initscr();
  raw();  // Ctrl-C reaches the face as a key: the 中止 of the windows
  noecho();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  // Every update is drawn whole: ncurses would otherwise poll the keyboard
  // during each one (the faces read the keys themselves, between reports).
  typeahead(-1);
  curs_set(0);
  if (has_colors()) {
    start_color();
    init_pair(kScreen, COLOR_WHITE, COLOR_BLUE);
    init_pair(kBox, COLOR_BLACK, COLOR_WHITE);
    init_pair(kFocus, COLOR_WHITE, COLOR_RED);
    init_pair(kBar, COLOR_WHITE, COLOR_BLUE);
    init_pair(kTitle, COLOR_BLUE, COLOR_WHITE);
  }
}

CCursesFace::~CCursesFace() { endwin(); }

int CCursesFace::ReadKey(bool wait) {
  for (;;) {
    timeout(wait ? -1 : 0);
    wint_t key = 0;
    errno = 0;
    const int kind = get_wch(&key);
    // A signal (the terminal stopped and continued, a child's end) breaks
    // the wait without any key: the wait goes on.
    if (kind == ERR && errno == EINTR) continue;
    if (kind == ERR) {
      // A blocking read that fails has no terminal behind it any more.
      if (wait || ::isatty(STDIN_FILENO) == 0) m_inputEnded = true;
      return ERR;
    }
    if (kind == KEY_CODE_YES && key == KEY_RESIZE) {
      Paint();
      continue;
    }
    return static_cast<int>(key);
  }
}

void CCursesFace::Paint() {
  bkgd(COLOR_PAIR(kScreen));
  erase();
  attrset(COLOR_PAIR(kScreen) | A_BOLD);
  Put(0, 1, CutEnd(Escape(kProgramTitle), COLS - 2));
  attrset(A_NORMAL);
  if (m_mainVisible) PaintMain();
  if (m_wait != nullptr) PaintWait();
  if (m_progress != nullptr) PaintProgress();
  for (const auto& paint : m_modals) paint();
  refresh();
}

int CCursesFace::Frame(int width, int height, const std::string& title, int& left) {
  width = std::min(width, COLS);
  height = std::min(height, LINES - 1);
  left = std::max(0, (COLS - width) / 2);
  const int top = std::max(1, (LINES - height) / 2);
  attrset(COLOR_PAIR(kBox));
  for (int row = top; row < top + height; ++row) mvhline(row, left, ' ', width);
  const BoxLines box = LocaleIsUtf8() ? UnicodeBox() : BoxLines{*WACS_ULCORNER, *WACS_URCORNER, *WACS_LLCORNER,
                                                                *WACS_LRCORNER, *WACS_HLINE,    *WACS_VLINE};
  mvadd_wch(top, left, &box.ul);
  mvhline_set(top, left + 1, &box.h, width - 2);
  mvadd_wch(top, left + width - 1, &box.ur);
  mvvline_set(top + 1, left, &box.v, height - 2);
  mvvline_set(top + 1, left + width - 1, &box.v, height - 2);
  mvadd_wch(top + height - 1, left, &box.ll);
  mvhline_set(top + height - 1, left + 1, &box.h, width - 2);
  mvadd_wch(top + height - 1, left + width - 1, &box.lr);
  const std::string shown = " " + CutEnd(Escape(title), width - 6) + " ";
  attrset(COLOR_PAIR(kTitle) | A_BOLD);
  Put(top, left + std::max(1, (width - DisplayWidth(shown)) / 2), shown);
  attrset(COLOR_PAIR(kBox));
  return top;
}

void CCursesFace::PaintButtons(int row, int left, int width, const std::vector<Button>& buttons, int focus) {
  std::vector<std::string> labels;
  for (const Button& button : buttons) labels.push_back(button.label);
  int column = left + std::max(1, (width - ButtonsWidth(labels)) / 2);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    attrset(static_cast<int>(i) == focus ? COLOR_PAIR(kFocus) | A_BOLD : COLOR_PAIR(kBox));
    const std::string label = "<" + buttons[i].label + ">";
    Put(row, column, label);
    column += DisplayWidth(label) + 2;
  }
  attrset(COLOR_PAIR(kBox));
}

void CCursesFace::PaintMain() {
  const int width = COLS - 2;
  const int height = LINES - 2;
  int left = 0;
  const int top = Frame(width, height, kProgramTitle, left);
  int row = top + 1;
  for (const std::string& line : Fold(Escape(TEXT_MAIN_INTRO), width - 4)) {
    if (!line.empty() || row < top + 3) Put(row, left + 2, line);
    ++row;
  }
  if (m_listColumn) {
    ++row;
    attrset(COLOR_PAIR(kBox) | A_UNDERLINE);
    Put(row, left + 2, CutEnd(Escape(TEXT_FONT_COLUMN), width - 4));
    attrset(COLOR_PAIR(kBox));
    ++row;
  }
  const int listRows = std::max(1, top + height - 3 - row);
  // The selected row stays in sight.
  const std::size_t first = m_selected >= static_cast<std::size_t>(listRows) ? m_selected + 1 - listRows : 0;
  for (int i = 0; i < listRows && first + i < m_rows.size(); ++i) {
    const std::size_t index = first + i;
    attrset(index == m_selected ? COLOR_PAIR(kBar) : COLOR_PAIR(kBox));
    std::string text = CutStart(EscapeLine(m_rows[index]), width - 4);
    text += std::string(static_cast<std::size_t>(std::max(0, width - 4 - DisplayWidth(text))), ' ');
    Put(row + i, left + 2, text);
  }
  attrset(COLOR_PAIR(kBox));
  if (m_rows.size() > static_cast<std::size_t>(listRows)) {
    Put(top + height - 3, left + 2,
        std::to_string(m_selected + 1) + "/" + std::to_string(m_rows.size()) + "  (↑↓ PgUp PgDn)");
  }
  const std::string hint = CutEnd(AboutHint(), width / 2);
  Put(top + height - 3, left + width - 2 - DisplayWidth(hint), hint);
  PaintButtons(top + height - 2, left, width, {{TEXT_EXECUTE, kIdOk}, {TEXT_ABORT, kIdCancel}},
               m_modals.empty() ? m_mainFocus : -1);
}

void CCursesFace::PaintWait() {
  const std::vector<std::string> intro = Lines(TEXT_WAIT_INTRO);
  const int width = std::min(COLS - 2, std::max(WidestLine(intro) + 4, 72));
  int left = 0;
  const int top = Frame(width, static_cast<int>(intro.size()) + 6, TEXT_WAIT_TITLE, left);
  int row = top + 1;
  for (const std::string& line : intro) Put(row++, left + 2, CutEnd(line, width - 4));
  Put(row + 1, left + 2, CutStart(EscapeLine(m_waitLine), width - 4));
  PaintButtons(row + 3, left, width, {{std::string(TEXT_ABORT_SPACED) + "(Q)", 0}}, 0);
}

void CCursesFace::PaintProgress() {
  const int width = std::min(COLS - 2, 76);
  int left = 0;
  const int top = Frame(width, 11, TEXT_PROGRESS_TITLE, left);
  const int inner = width - 4;
  auto bar = [&](int row, const std::string& label, int percent, const std::string& text) {
    Put(row, left + 2, label);
    const int labelWidth = DisplayWidth(label) + 1;
    const int barWidth = std::max(4, inner - labelWidth - 6);
    const int filled = barWidth * std::clamp(percent, 0, 100) / 100;
    std::string cells;
    for (int i = 0; i < barWidth; ++i) cells += i < filled ? "█" : "░";
    attrset(COLOR_PAIR(kTitle));
    Put(row, left + 2 + labelWidth, cells);
    attrset(COLOR_PAIR(kBox));
    Put(row, left + 2 + labelWidth + barWidth + 1, text);
  };
  Put(top + 1, left + 2, CutStart(EscapeLine(m_view.line1), inner));
  bar(top + 3, TEXT_OVERALL_PROGRESS, m_view.overall, m_view.overallText);
  Put(top + 5, left + 2, CutStart(EscapeLine(m_view.line2), inner));
  bar(top + 7, TEXT_STEP_PROGRESS, m_view.step, m_view.stepText);
  PaintButtons(top + 9, left, width, {{std::string(TEXT_ABORT_SPACED) + "(Q)", 0}}, 0);
}

int CCursesFace::RunModal(Modal modal) {
  int focus = 0;
  std::size_t scroll = 0;
  auto paint = [&, this] {
    std::vector<std::string> labels;
    for (const Button& button : modal.buttons) labels.push_back(button.label);
    const int contentWidth = std::max({WidestLine(modal.body), ButtonsWidth(labels), DisplayWidth(modal.title) + 4});
    const int width = std::min(COLS - 2, contentWidth + 4);
    std::vector<std::string> lines;
    for (const std::string& line : modal.body) {
      for (std::string& folded : Fold(line, width - 4)) lines.push_back(std::move(folded));
    }
    const int room = std::max(1, LINES - 6);
    const int shownLines = std::min(static_cast<int>(lines.size()), room);
    scroll = std::min(scroll, lines.size() - static_cast<std::size_t>(shownLines));
    int left = 0;
    const int top = Frame(width, shownLines + 4, modal.title, left);
    for (int i = 0; i < shownLines; ++i) Put(top + 1 + i, left + 2, lines[scroll + i]);
    if (static_cast<int>(lines.size()) > shownLines) Put(top + shownLines + 1, left + width - 6, "↑↓");
    PaintButtons(top + shownLines + 2, left, width, modal.buttons, focus);
  };
  m_modals.push_back(paint);
  int result = 0;
  for (bool open = true; open;) {
    Paint();
    int pressed = 0;
    const int key = m_inputEnded ? ERR : ReadKey(true);
    if (key == ERR) {
      pressed = modal.endOfInput;
    } else if (IsEnter(key)) {
      pressed = modal.buttons[static_cast<std::size_t>(focus)].result;
    } else if (key == kEscape || key == kCtrlC) {
      pressed = modal.escape;
    } else if (key == kTab || key == KEY_RIGHT || key == KEY_BTAB || key == KEY_LEFT) {
      const int count = static_cast<int>(modal.buttons.size());
      focus = (focus + ((key == KEY_BTAB || key == KEY_LEFT) ? count - 1 : 1)) % count;
    } else if (key == KEY_UP && scroll > 0) {
      --scroll;
    } else if (key == KEY_DOWN) {
      ++scroll;
    }
    if (pressed != 0 && (!modal.accept || modal.accept(pressed))) {
      result = pressed;
      open = false;
    }
  }
  m_modals.pop_back();
  Paint();
  return result;
}

int CCursesFace::RunMainDialog(CKestrelDlg& dialog) {
  Paint();
  dialog.OnInitDialog();
  if (!dialog.Ended()) m_mainVisible = true;
  while (!dialog.Ended()) {
    Paint();
    const int key = m_inputEnded ? ERR : ReadKey(true);
    const int pages = std::max(1, LINES - 12);
    if (key == ERR || key == kEscape || key == kCtrlC) {
      dialog.OnAbort();
    } else if (IsEnter(key)) {
      if (m_mainFocus == 0) {
        dialog.OnExecute();
      } else {
        dialog.OnAbort();
      }
    } else if (key == kTab || key == KEY_RIGHT || key == KEY_LEFT || key == KEY_BTAB) {
      m_mainFocus = 1 - m_mainFocus;
    } else if (IsAboutKey(key)) {
      dialog.OnSysCommand(IDM_ABOUTBOX);
    } else if (!m_rows.empty()) {
      const std::size_t last = m_rows.size() - 1;
      if (key == KEY_UP && m_selected > 0) --m_selected;
      if (key == KEY_DOWN && m_selected < last) ++m_selected;
      if (key == KEY_PPAGE) m_selected -= std::min(m_selected, static_cast<std::size_t>(pages));
      if (key == KEY_NPAGE) m_selected = std::min(last, m_selected + pages);
      if (key == KEY_HOME) m_selected = 0;
      if (key == KEY_END) m_selected = last;
    }
  }
  return dialog.Result();
}

void CCursesFace::AddFontListRow(const std::string& path) { m_rows.push_back(path); }

void CCursesFace::HideMainWindow() {
  m_mainVisible = false;
  Paint();
}

int CCursesFace::ShowMessageDialog(const CMessageBoxDialog& dialog) {
  Modal modal;
  modal.title = TEXT_CONFIRM_TITLE;
  // The path in a message is escaped whole before the message is laid out.
  modal.body = Lines(dialog.MessageShowingPath(terminal_layout::EscapeLine));
  switch (dialog.GetKind()) {
    case CMessageBoxDialog::Kind::kOk:
      modal.buttons = {{TEXT_YES, kIdOk}};
      modal.escape = kIdCancel;
      modal.endOfInput = kIdOk;
      break;
    case CMessageBoxDialog::Kind::kMessage:
      // The stop questions: the end of the input stops.
      modal.buttons = {{TEXT_YES, kIdOk}, {TEXT_NO, kIdCancel}};
      modal.escape = kIdCancel;
      modal.endOfInput = kIdOk;
      break;
    case CMessageBoxDialog::Kind::kEnd:
      modal.buttons = {{TEXT_YES, kIdOk}};
      modal.escape = kIdCancel;
      modal.endOfInput = kIdOk;
      break;
    case CMessageBoxDialog::Kind::kNormalEnd:
      modal.buttons = {{TEXT_RESTART, kIdOk}, {TEXT_CANCEL, kIdCancel}};
      modal.escape = kIdCancel;
      modal.endOfInput = kIdCancel;
      break;
  }
  return RunModal(std::move(modal));
}

int CCursesFace::ShowStartDialog(CStartDialog& dialog) {
  dialog.OnInitDialog();
  Modal modal;
  modal.title = kProgramTitle;
  modal.body = Lines(TEXT_START_INTRO);
  std::vector<std::string> heading = Lines(dialog.heading);
  while (!heading.empty() && heading.back().empty()) heading.pop_back();
  for (std::string& line : heading) modal.body.push_back(std::move(line));
  modal.body.push_back("");
  std::string columns[3];
  for (int i = 0; i < 3; ++i) columns[i] = Escape(dialog.columns[i]);
  for (std::string& line : terminal_layout::ArrangeColumns(columns, std::max(20, COLS - 8))) {
    modal.body.push_back("  " + line);
  }
  modal.body.push_back("");
  for (std::string& line : Lines(TEXT_START_SEARCH)) modal.body.push_back(std::move(line));
  modal.buttons = {{TEXT_NEXT, kIdOk}, {TEXT_ABORT_SPACED, kIdCancel}};
  modal.escape = kIdCancel;
  modal.endOfInput = kIdCancel;
  modal.accept = [&dialog](int result) { return result != kIdCancel || dialog.OnCancel(); };
  return RunModal(std::move(modal));
}

int CCursesFace::ShowAboutDialog() {
  Modal modal;
  modal.title = TEXT_ABOUT_TITLE;
  modal.body = {TEXT_ABOUT_VERSION};
  modal.buttons = {{TEXT_OK, kIdOk}};
  modal.escape = kIdCancel;
  modal.endOfInput = kIdOk;
  return RunModal(std::move(modal));
}

void CCursesFace::CreateWaitWindow(CWaitDialog& dialog) {
  m_wait = &dialog;
  m_waitLine.clear();
  Paint();
}

void CCursesFace::SetWaitLine(const std::string& line) {
  m_waitLine = line;
  Paint();
}

void CCursesFace::DestroyWaitWindow() {
  m_wait = nullptr;
  Paint();
}

void CCursesFace::CreateProgressWindow(CProgressDialog& dialog) {
  m_progress = &dialog;
  m_view = ProgressView();
  Paint();
}

void CCursesFace::SetProgress(const ProgressView& view) {
  m_view = view;
  // A report changes only the progress box. While nothing lies over it, the
  // box alone is drawn again (its frame clears what it covers); the screen
  // comes out as a whole repaint would draw it.
  if (m_progress == nullptr || !m_modals.empty() || m_wait != nullptr || m_mainVisible) {
    Paint();
    return;
  }
  PaintProgress();
  refresh();
}

void CCursesFace::DestroyProgressWindow() {
  m_progress = nullptr;
  Paint();
}

void CCursesFace::PumpMessages() {
  for (;;) {
    const int key = m_inputEnded ? ERR : ReadKey(false);
    // The end of the input is a stop; Enter and Esc do nothing here.
    if (IsStopKey(key) || m_inputEnded) {
      if (m_progress != nullptr) m_progress->OnAbort();
      if (m_wait != nullptr) m_wait->OnAbort();
    }
    if (key == ERR) return;
  }
}

void CCursesFace::Sleep(unsigned milliseconds) { napms(static_cast<int>(milliseconds)); }
