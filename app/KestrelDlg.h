// The main dialog and the whole run: the update list check, the environment
// check, the start dialog, the search under the wait dialog, the font list,
// and 実行: every found font revised under the progress dialog, the end
// message, the font cache reset and the restart offer.
#pragma once

#include <cstdint>
#include <string>

#include "app/RunOutcome.h"

class CFace;
struct FoundFont;

class CKestrelDlg {
 public:
  explicit CKestrelDlg(CFace& face);
  // Deletes the font search, then releases the update list (and so its
  // temporary INI file).
  virtual ~CKestrelDlg();
  CKestrelDlg(const CKestrelDlg&) = delete;
  CKestrelDlg& operator=(const CKestrelDlg&) = delete;

  // Everything before the font list is shown; may end the dialog.
  void OnInitDialog();
  // 実行: the update run; ends the dialog unless there is nothing to revise.
  // A 実行 that arrives while the run goes on (a click queued before the
  // main window hid, delivered by a progress report) is ignored.
  void OnExecute();
  // 中止, Esc, the close box: asks 102; はい ends the dialog with kIdCancel.
  void OnAbort();
  // A system menu command: the About box for IDM_ABOUTBOX (low four bits
  // ignored). False for every other command, which the face handles as usual.
  bool OnSysCommand(unsigned id);

  // The OS and rights check; shows at most one message.
  int CheckEnvironment();
  // Deletes the download copies, then the system font cache.
  void ResetFontCache();
  // Restarts the system; always 1.
  int RestartSystem();

  bool Ended() const { return m_ended; }
  int Result() const { return m_result; }
  // The code of the update run: -1 before 実行 started one, else 0 when every
  // font was revised or the first non-zero code.
  int RunCode() const { return m_runCode; }
  // How the dialog ended: revised, nothing to revise, stopped, failed.
  RunOutcome Outcome() const;

 protected:
  // One font of the run (COpenTypeManager::UpdateFont); tests stand in here.
  // Leaves the revised font's revision, and whether it waits for the
  // restart, in m_lastNewRevision and m_lastAtRestart.
  virtual int UpdateFont(const FoundFont& found, void* progressWindow, int fontCount, int fontIndex);

  std::uint32_t m_lastNewRevision = 0;
  bool m_lastAtRestart = false;

 private:
  void EndDialog(int result);
  // Shows string `stringId` (its "%s" replaced by `path`) in a message dialog.
  template <typename Dialog>
  int ShowMessage(int stringId, const std::string& path = std::string());

  CFace& m_face;
  bool m_ended = false;
  bool m_running = false;
  int m_result = 0;
  int m_runCode = -1;
  // Set where the dialog learns how the run ends without an update run:
  // a failure before the list, a stop, or no font found.
  bool m_failedBeforeRun = false;
  bool m_stoppedBeforeRun = false;
  bool m_nothingFound = false;
};
