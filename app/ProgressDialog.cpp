// The progress dialog's logic: what each report shows, its pauses and the
// confirmed stop.
#include "app/ProgressDialog.h"

#include "app/DialogResult.h"
#include "app/Face.h"
#include "app/MessageDialogs.h"
#include "app/StringTable.h"

CProgressDialog::~CProgressDialog() { DestroyWindow(); }

void CProgressDialog::Create() {
  m_face.CreateProgressWindow(*this);
  m_created = true;
}

void CProgressDialog::DestroyWindow() {
  if (!m_created) return;
  m_created = false;
  m_face.DestroyProgressWindow();
}

int CProgressDialog::UpdateProgress(int overall, int step, const std::string& line1, const std::string& line2) {
  m_face.ShowProgressWindowIfHidden();
  m_face.PumpMessages();
  ProgressView view;
  view.overall = overall;
  view.step = step;
  view.overallText = std::to_string(overall) + "%";
  view.stepText = std::to_string(step) + "%";
  view.line1 = line1;
  view.line2 = line2;
  m_face.SetProgress(view);
  m_face.Sleep(kReportPause);
  if (stopFlag != 0 && !m_stopConfirmed) {
    CMessageDialog question;
    question.SetMessage(LoadProgramString(string_id::kConfirmStopRevision), string_id::kConfirmStopRevision);
    if (question.DoModal(m_face) == kIdOk) {
      m_stopConfirmed = true;
    } else {
      stopFlag = 0;
    }
  }
  // The full bars stay in sight for a second.
  if (overall == 100 && step == 100) m_face.Sleep(kCompletePause);
  return m_stopConfirmed ? 1 : 0;
}

int CProgressDialog::ProgressCallback(int overall, int step, const char* line1, const char* line2, void* window) {
  return static_cast<CProgressDialog*>(window)->UpdateProgress(overall, step, line1 != nullptr ? line1 : "",
                                                               line2 != nullptr ? line2 : "");
}
