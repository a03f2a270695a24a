// The main dialog's flow, from the update list check to the restart offer.
#include "app/KestrelDlg.h"

#include <vector>

#include "app/DialogResult.h"
#include "app/Environment.h"
#include "app/Face.h"
#include "app/MessageDialogs.h"
#include "app/ProgressDialog.h"
#include "app/StartDialog.h"
#include "app/StringTable.h"
#include "app/WaitDialog.h"
#include "engine/OpenTypeManager.h"
#include "font/Progress.h"
#include "font/ResultCode.h"
#include "patch/ResFileCtrl.h"
#include "platform/Files.h"
#include "platform/ImageBuffer.h"
#include "platform/ReachedFiles.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "resources/resource.h"
#include "search/FolderCheckCtrl.h"

namespace {

constexpr unsigned kPauseAfterFont = 300;  // milliseconds, after every font

}  // namespace

CKestrelDlg::CKestrelDlg(CFace& face) : m_face(face) {}

CKestrelDlg::~CKestrelDlg() {
  DeleteFolderCheckCtrl();
  CResFileCtrl::ReleaseUpdateList();
}

void CKestrelDlg::EndDialog(int result) {
  m_ended = true;
  m_result = result;
}

template <typename Dialog>
int CKestrelDlg::ShowMessage(int stringId, const std::string& path) {
  Dialog dialog;
  dialog.SetMessageWithPath(LoadProgramString(stringId), path, stringId);
  return dialog.DoModal(m_face);
}

void CKestrelDlg::OnInitDialog() {
  const CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  if (list->maxNum == 0 || list->count == 0 || list->maxNum != list->count) {
    // The dialog opens with an empty list; 実行 then finds nothing to revise.
    m_failedBeforeRun = true;
    ShowMessage<COKDialog>(string_id::kPatchListFailed);
    return;
  }
  CFolderCheckCtrl* search = GetFolderCheckCtrl();

  if (!EnvironmentAllowsRun(CheckEnvironment())) {
    m_failedBeforeRun = true;
    EndDialog(kIdCancel);
    return;
  }

  CStartDialog start(m_face);
  if (start.DoModal() == kIdCancel) {
    m_stoppedBeforeRun = true;
    EndDialog(kIdCancel);
    return;
  }

  m_face.InsertFontListColumn();
  if (search->candidates.empty()) {
    m_failedBeforeRun = true;
    ShowMessage<COKDialog>(string_id::kNoSourceFonts);
    EndDialog(kIdCancel);
    return;
  }

  CWaitDialog wait(m_face);
  wait.Create();
  // A stopped search keeps the fonts it found so far.
  search->SearchFonts(CWaitDialog::SearchCallback, &wait);
  if (search->foundFonts.empty()) {
    // A search the user stopped has not shown that nothing needs revising.
    (wait.StopConfirmed() ? m_stoppedBeforeRun : m_nothingFound) = true;
    wait.DestroyWindow();
    ShowMessage<COKDialog>(string_id::kNoFontFound);
    EndDialog(kIdCancel);
    return;
  }
  for (const auto& found : search->foundFonts) m_face.AddFontListRow(platform::PathToProgramText(found->path));
  wait.DestroyWindow();
  m_face.RedrawMainWindow();
}

void CKestrelDlg::OnExecute() {
  if (m_running) return;
  const CFolderCheckCtrl* search = GetFolderCheckCtrl();
  const int count = static_cast<int>(search->foundFonts.size());
  if (count == 0) {
    ShowMessage<COKDialog>(string_id::kNoFontToRevise);
    return;
  }
  m_running = true;
  m_face.HideMainWindow();

  int code = result_code::kRevised;
  const FoundFont* failed = nullptr;
  std::vector<FontRecord> records(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const FoundFont* found = search->GetFoundFont(static_cast<std::size_t>(i));
    records[static_cast<std::size_t>(i)].path = platform::PathToProgramText(found->path);
    records[static_cast<std::size_t>(i)].oldRevision = found->expectedRevision;
  }
  {
    CProgressDialog progress(m_face);
    progress.Create();
    for (int i = 0; i < count; ++i) {
      const FoundFont* found = search->GetFoundFont(static_cast<std::size_t>(i));
      FontRecord& record = records[static_cast<std::size_t>(i)];
      if (found->skipFlag == 0) {
        m_lastNewRevision = 0;
        m_lastAtRestart = false;
        code = UpdateFont(*found, &progress, count, i);
        record.attempted = true;
        record.code = code;
        record.newRevision = m_lastNewRevision;
        record.atRestart = m_lastAtRestart;
      }
      if (code != result_code::kRevised) {
        failed = found;
        break;
      }
      m_face.Sleep(kPauseAfterFont);
    }
    progress.DestroyWindow();
  }
  for (const FontRecord& record : records) m_face.RecordFont(record);
  // The font images' memory was kept from font to font; the run is over.
  platform::ReleaseKeptBlocks();
  m_runCode = code;

  platform::SystemActions& system = platform::CurrentSystemActions();
  if (code == result_code::kRevised) {
    CNormalEndDialog end;
    end.SetMessage(LoadProgramString(string_id::kRevisionSucceeded), string_id::kRevisionSucceeded);
    system.BroadcastFontChange();
    ResetFontCache();
    if (end.DoModal(m_face) == kIdOk) RestartSystem();
  } else {
    const int messageId = EndMessageId(code);
    CEndDialog end;
    end.SetMessageWithPath(LoadProgramString(messageId), failed->path, messageId);
    system.BroadcastFontChange();
    end.DoModal(m_face);
  }
  EndDialog(kIdOk);
}

void CKestrelDlg::OnAbort() {
  if (ShowMessage<CMessageDialog>(string_id::kConfirmStopRevision) == kIdOk) {
    m_stoppedBeforeRun = true;
    EndDialog(kIdCancel);
  }
}

RunOutcome CKestrelDlg::Outcome() const {
  if (m_runCode == result_code::kRevised) return RunOutcome::kRevised;
  if (m_runCode == result_code::kStopped) return RunOutcome::kStopped;
  // A failure comes first: a list that could not be read and was then
  // closed is a failure, not the user's stop.
  if (m_runCode > 0 || m_failedBeforeRun) return RunOutcome::kFailed;
  if (m_stoppedBeforeRun) return RunOutcome::kStopped;
  if (m_nothingFound) return RunOutcome::kNothingToRevise;
  return RunOutcome::kFailed;
}

bool CKestrelDlg::OnSysCommand(unsigned id) {
  if ((id & 0xFFF0u) != IDM_ABOUTBOX) return false;
  m_face.ShowAboutDialog();
  return true;
}

int CKestrelDlg::CheckEnvironment() {
  const EnvironmentResult environment = CheckEnvironmentCode();
  if (environment.messageId != 0) ShowMessage<COKDialog>(environment.messageId);
  return environment.code;
}

void CKestrelDlg::ResetFontCache() {
  // Nothing here is reported: a copy that cannot be deleted stays.
  // Nothing but the very files the search met is deleted: a download folder
  // swapped for a link since then gets nothing deleted.
  for (const platform::FileIdentity& copy : GetFolderCheckCtrl()->downloadCopies) platform::RemoveReachedFile(copy);
  platform::CurrentSystemActions().ResetFontCache();
}

int CKestrelDlg::RestartSystem() {
  platform::CurrentSystemActions().Restart();
  return 1;
}

int CKestrelDlg::UpdateFont(const FoundFont& found, void* progressWindow, int fontCount, int fontIndex) {
  COpenTypeManager manager;
  const int code = manager.UpdateFont(found.path, found.expectedRevision, CProgressDialog::ProgressCallback,
                                      progressWindow, fontCount, fontIndex);
  m_lastNewRevision = manager.newRevision;
  m_lastAtRestart = manager.replacedAtRestart;
  return code;
}
