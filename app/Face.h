// How the flow reaches the screen. The flow (CKestrelDlg and its dialogs) is
// written once; a face presents it: Windows dialogs (app/win32), the terminal
// (app/terminal), or a script that records and answers (tests/app). A face
// shows what it is told and reports what the user pressed; it decides nothing
// about the run.
//
// Texts handed to a face are the program's narrow texts, UTF-8 on every
// system: the update list's lines and the paths already converted.
#pragma once

#include <cstdint>
#include <string>

class CKestrelDlg;
class CMessageBoxDialog;
class CStartDialog;
class CWaitDialog;
class CProgressDialog;

// What the progress window shows after one report.
struct ProgressView {
  int overall = 0;          // bar 1007, 0 to 100
  int step = 0;             // bar 1008, 0 to 100
  std::string overallText;  // 1009, "40%"
  std::string stepText;     // 1010
  std::string line1;        // 1012
  std::string line2;        // 1011
};

// One found font as the run left it.
struct FontRecord {
  std::string path;               // in the program's own text
  std::uint32_t oldRevision = 0;  // the installed font's head.fontRevision
  std::uint32_t newRevision = 0;  // the revised font's, 0 when it was not built
  bool attempted = false;         // false: the run ended before this font
  int code = 0;                   // the font's result code, when attempted
  bool atRestart = false;         // revised, its replacement left to the restart
};

class CFace {
 public:
  virtual ~CFace() = default;

  // Runs the main dialog modally until it ends and returns its result. When
  // its window is created the face calls dialog.OnInitDialog(); afterwards,
  // for the user's commands, OnExecute (実行, Enter), OnAbort (中止, Esc, the
  // close box) and OnSysCommand (the system menu). It stops as soon as
  // dialog.Ended() is true, inside OnInitDialog included.
  virtual int RunMainDialog(CKestrelDlg& dialog) = 0;
  // The main dialog's font list: the column "フォント名" with whole-row
  // selection, then one row per found font.
  virtual void InsertFontListColumn() = 0;
  virtual void AddFontListRow(const std::string& path) = 0;
  virtual void RedrawMainWindow() = 0;
  virtual void HideMainWindow() = 0;

  // Modal dialogs. Each returns the button pressed: kIdOk, kIdCancel, or
  // anything else when the dialog could not be shown. The start dialog's
  // face calls dialog.OnInitDialog() when it opens and dialog.OnCancel() for
  // 中止 and Esc, closing with kIdCancel when that answers true.
  virtual int ShowMessageDialog(const CMessageBoxDialog& dialog) = 0;
  virtual int ShowStartDialog(CStartDialog& dialog) = 0;
  virtual int ShowAboutDialog() = 0;

  // The modeless wait window: created, shown and painted at once; shown
  // again when hidden; its current line (control 1077); destroyed. Its 中止
  // calls dialog.OnAbort() while PumpMessages runs.
  virtual void CreateWaitWindow(CWaitDialog& dialog) = 0;
  virtual void ShowWaitWindowIfHidden() = 0;
  virtual void SetWaitLine(const std::string& line) = 0;
  virtual void DestroyWaitWindow() = 0;

  // The modeless progress window, likewise; its 中止 calls
  // dialog.OnAbort() while PumpMessages runs.
  virtual void CreateProgressWindow(CProgressDialog& dialog) = 0;
  virtual void ShowProgressWindowIfHidden() = 0;
  virtual void SetProgress(const ProgressView& view) = 0;
  virtual void DestroyProgressWindow() = 0;

  // Handles the input that is waiting (Windows: empties the message queue)
  // and returns; never waits for input.
  virtual void PumpMessages() = 0;
  // The flow's pauses.
  virtual void Sleep(unsigned milliseconds) = 0;

  // Every found font once the run is over, in list order. A face that
  // keeps a record of the run writes it; the dialogs show the end message
  // instead.
  virtual void RecordFont(const FontRecord& record) { (void)record; }
};
