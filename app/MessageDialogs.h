// The four message dialogs: one text and one or two buttons, all titled
// "確　認". Which one is shown says which buttons the user gets.
#pragma once

#include <functional>
#include <string>

#include "resources/resource.h"

class CFace;

class CMessageBoxDialog {
 public:
  enum class Kind { kOk, kMessage, kEnd, kNormalEnd };

  virtual ~CMessageBoxDialog() = default;

  // Stores the text; call before DoModal. `stringId` names the string-table
  // text it was made from (0 for none).
  void SetMessage(const std::string& text, int stringId = 0) {
    m_message = text;
    m_stringId = stringId;
    m_format.clear();
    m_path.clear();
  }
  // The text `format` with its "%s" replaced by `path`, a path from outside
  // the program that a face may have to show otherwise (escaped).
  void SetMessageWithPath(const std::string& format, const std::string& path, int stringId);
  const std::string& Message() const { return m_message; }
  // The text with its path as `show` presents it (the text itself when it
  // has no path).
  std::string MessageShowingPath(const std::function<std::string(const std::string&)>& show) const;
  int StringId() const { return m_stringId; }

  virtual Kind GetKind() const = 0;
  virtual int TemplateId() const = 0;
  virtual int TextControlId() const = 0;
  // Whether there is a second button (いいえ, キャンセル).
  bool HasCancelButton() const { return GetKind() == Kind::kMessage || GetKind() == Kind::kNormalEnd; }
  // Whether the caption has a close box.
  bool HasCloseBox() const { return GetKind() != Kind::kEnd; }

  // Shows the dialog modally: kIdOk, kIdCancel, or another value when it
  // could not be shown.
  int DoModal(CFace& face) const;

 private:
  std::string m_message;
  int m_stringId = 0;
  std::string m_format;  // empty unless the text carries a path
  std::string m_path;
};

// はい: messages 107, 108, 109, 110, 111, 112, 119.
class COKDialog : public CMessageBoxDialog {
 public:
  Kind GetKind() const override { return Kind::kOk; }
  int TemplateId() const override { return IDD_OK_DIALOG; }
  int TextControlId() const override { return IDC_MESSAGE_TEXT; }
};

// はい / いいえ: the stop confirmations 102 and 116.
class CMessageDialog : public CMessageBoxDialog {
 public:
  Kind GetKind() const override { return Kind::kMessage; }
  int TemplateId() const override { return IDD_MESSAGE_DIALOG; }
  int TextControlId() const override { return IDC_MESSAGE_TEXT; }
};

// はい, no close box: the end of a failed or stopped run.
class CEndDialog : public CMessageBoxDialog {
 public:
  Kind GetKind() const override { return Kind::kEnd; }
  int TemplateId() const override { return IDD_END_DIALOG; }
  int TextControlId() const override { return IDC_END_TEXT; }
};

// 再起動 / キャンセル: the end of a run that revised every font.
class CNormalEndDialog : public CMessageBoxDialog {
 public:
  Kind GetKind() const override { return Kind::kNormalEnd; }
  int TemplateId() const override { return IDD_NORMAL_END_DIALOG; }
  int TextControlId() const override { return IDC_END_TEXT; }
};
