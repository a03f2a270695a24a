// Showing a message dialog through the face.
#include "app/MessageDialogs.h"

#include "app/Face.h"
#include "font/Progress.h"

int CMessageBoxDialog::DoModal(CFace& face) const { return face.ShowMessageDialog(*this); }

void CMessageBoxDialog::SetMessageWithPath(const std::string& format, const std::string& path, int stringId) {
  SetMessage(FormatText(format.c_str(), path), stringId);
  m_format = format;
  m_path = path;
}

std::string CMessageBoxDialog::MessageShowingPath(const std::function<std::string(const std::string&)>& show) const {
  return m_format.empty() ? m_message : FormatText(m_format.c_str(), show(m_path));
}
