// The start dialog's logic: its heading, its three columns of font lines and
// the question before it stops.
#include "app/StartDialog.h"

#include "app/DialogResult.h"
#include "app/Face.h"
#include "app/MessageDialogs.h"
#include "app/StringTable.h"
#include "patch/ResFileCtrl.h"
#include "platform/Text.h"
#include "resources/texts.h"
#include "search/FolderCheckCtrl.h"

int CStartDialog::DoModal() { return m_face.ShowStartDialog(*this); }

void CStartDialog::OnInitDialog() {
  GetFolderCheckCtrl();
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  list->ReadStartDialogLines();
  std::vector<std::string> lines;
  lines.reserve(list->fontTexts.size());
  for (const std::string& line : list->fontTexts) lines.push_back(platform::Cp932ToProgramText(line));
  DistributeLines(lines, columns);
  heading = list->mainTextTitle.empty() ? std::string(TEXT_START_HEADING)
                                        : platform::Cp932ToProgramText(list->mainTextTitle) + "\n\n";
}

bool CStartDialog::OnCancel() {
  CMessageDialog question;
  question.SetMessage(LoadProgramString(string_id::kConfirmStopRevision), string_id::kConfirmStopRevision);
  return question.DoModal(m_face) == kIdOk;
}

void CStartDialog::DistributeLines(const std::vector<std::string>& lines, std::string (&out)[3]) {
  for (std::string& column : out) column.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t column = i < kColumnLines ? 0 : i < 2 * kColumnLines ? 1 : 2;
    out[column] += lines[i];
    out[column] += "\n";
  }
}
