// The wait dialog's logic: the search's line and the confirmed stop.
#include "app/WaitDialog.h"

#include "app/DialogResult.h"
#include "app/Face.h"
#include "app/MessageDialogs.h"
#include "app/StringTable.h"

CWaitDialog::~CWaitDialog() { DestroyWindow(); }

void CWaitDialog::Create() {
  m_face.CreateWaitWindow(*this);
  m_created = true;
}

void CWaitDialog::DestroyWindow() {
  if (!m_created) return;
  m_created = false;
  m_face.DestroyWaitWindow();
}

int CWaitDialog::UpdateSearchText(const std::string& line) {
  m_face.ShowWaitWindowIfHidden();
  m_face.PumpMessages();
  // The wait dialog asks before it shows the new line.
  if (stopFlag != 0 && !m_stopConfirmed) {
    CMessageDialog question;
    question.SetMessage(LoadProgramString(string_id::kConfirmStopSearch), string_id::kConfirmStopSearch);
    if (question.DoModal(m_face) == kIdOk) {
      m_stopConfirmed = true;
    } else {
      stopFlag = 0;
    }
  }
  currentLine = line;
  m_face.SetWaitLine(currentLine);
  return m_stopConfirmed ? 1 : 0;
}

int CWaitDialog::SearchCallback(const char* text, void* window) {
  return static_cast<CWaitDialog*>(window)->UpdateSearchText(text != nullptr ? text : "");
}
