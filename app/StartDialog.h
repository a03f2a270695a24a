// The start dialog: what the program is, which fonts it revises (the update
// list's lines in three columns) and 次へ to search, or 中止 after a question.
#pragma once

#include <string>
#include <vector>

class CFace;

class CStartDialog {
 public:
  // Lines per column: lines 1 to 20 go to the first, 21 to 40 to the second,
  // the rest to the third.
  static constexpr std::size_t kColumnLines = 20;

  explicit CStartDialog(CFace& face) : m_face(face) {}

  // kIdOk (次へ), kIdCancel (中止 confirmed), or another value when the
  // dialog could not be shown.
  int DoModal();

  // When the window opens: makes sure the font search and the update list
  // exist, reads the font lines and fills the heading and the columns.
  void OnInitDialog();
  // 中止 or Esc: asks 102; true when the dialog is to close with kIdCancel.
  bool OnCancel();

  // Each line followed by "\n", in three columns.
  static void DistributeLines(const std::vector<std::string>& lines, std::string (&columns)[3]);

  // Control 1023: the update list's "MAIN_TEXTTITLE", which counts the fonts
  // of the embedded data, or the template's heading when the list has none.
  std::string heading;
  std::string columns[3];  // controls 1024, 1026, 1027

 private:
  CFace& m_face;
};
