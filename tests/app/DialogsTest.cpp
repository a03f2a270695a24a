// The dialogs' own logic: what a progress report shows and how long it
// pauses, the two-step stop of the progress and wait windows, and the start
// dialog's columns.
#include <gtest/gtest.h>

#include "app/DialogResult.h"
#include "app/ProgressDialog.h"
#include "app/StartDialog.h"
#include "app/WaitDialog.h"
#include "tests/app/ScriptedFace.h"

namespace {

using Log = std::vector<std::string>;

TEST(ProgressDialog, AReportShowsBothPercentagesAndPausesLongerWhenFull) {
  CScriptedFace face;
  CProgressDialog progress(face);
  progress.Create();
  EXPECT_EQ(progress.UpdateProgress(40, 55, "line one", "line two"), 0);
  ASSERT_EQ(face.reports.size(), 1u);
  EXPECT_EQ(face.reports[0].overallText, "40%");
  EXPECT_EQ(face.reports[0].stepText, "55%");
  EXPECT_EQ(face.reports[0].line1, "line one");
  EXPECT_EQ(face.reports[0].line2, "line two");
  EXPECT_EQ(face.sleeps, (std::vector<unsigned>{1}));
  EXPECT_EQ(progress.UpdateProgress(100, 100, "", ""), 0);
  EXPECT_EQ(face.sleeps, (std::vector<unsigned>{1, 1, 1000}));
}

TEST(ProgressDialog, AStopIsAskedOnceAndOnceConfirmedHolds) {
  CScriptedFace face;
  CProgressDialog progress(face);
  progress.Create();
  // 中止 twice before a report, answered いいえ: one question, and the run goes on.
  progress.OnAbort();
  progress.OnAbort();
  face.answers = {kIdCancel, kIdOk};
  EXPECT_EQ(progress.UpdateProgress(10, 10, "", ""), 0);
  EXPECT_EQ(progress.stopFlag, 0);
  EXPECT_EQ(progress.UpdateProgress(20, 20, "", ""), 0);
  // はい: this report and every later one answer 1, without asking again.
  progress.OnAbort();
  EXPECT_EQ(progress.UpdateProgress(30, 30, "", ""), 1);
  EXPECT_EQ(progress.UpdateProgress(40, 40, "", ""), 1);
  EXPECT_EQ(CProgressDialog::ProgressCallback(50, 50, "a", "b", &progress), 1);
  EXPECT_EQ(face.log, (Log{"CProgressDialog", "CMessageDialog 102 -> 2", "CMessageDialog 102 -> 1"}));
  EXPECT_EQ(face.reports.size(), 5u);
}

TEST(WaitDialog, AConfirmedStopStillShowsTheLineAndHolds) {
  CScriptedFace face;
  CWaitDialog wait(face);
  wait.Create();
  wait.OnAbort();
  face.answers = {kIdCancel, kIdOk};
  EXPECT_EQ(CWaitDialog::SearchCallback("one", &wait), 0);
  wait.OnAbort();
  EXPECT_EQ(CWaitDialog::SearchCallback("two", &wait), 1);
  EXPECT_EQ(CWaitDialog::SearchCallback("three", &wait), 1);
  EXPECT_EQ(face.waitLines, (Log{"one", "two", "three"}));
  EXPECT_EQ(wait.currentLine, "three");
  EXPECT_EQ(face.log, (Log{"CWaitDialog", "CMessageDialog 116 -> 2", "CMessageDialog 116 -> 1"}));
  // No pauses while searching.
  EXPECT_TRUE(face.sleeps.empty());
}

TEST(StartDialog, TheFontLinesFillThreeColumnsOfTwenty) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 58; ++i) lines.push_back(std::string("L").append(std::to_string(i)));
  std::string columns[3];
  CStartDialog::DistributeLines(lines, columns);
  EXPECT_EQ(std::count(columns[0].begin(), columns[0].end(), '\n'), 20);
  EXPECT_EQ(std::count(columns[1].begin(), columns[1].end(), '\n'), 20);
  EXPECT_EQ(std::count(columns[2].begin(), columns[2].end(), '\n'), 18);
  EXPECT_EQ(columns[0].substr(0, 6), "L1\nL2\n");
  EXPECT_EQ(columns[1].substr(0, 4), "L21\n");
  EXPECT_EQ(columns[2].substr(0, 4), "L41\n");

  lines.resize(15);
  CStartDialog::DistributeLines(lines, columns);
  EXPECT_EQ(std::count(columns[0].begin(), columns[0].end(), '\n'), 15);
  EXPECT_EQ(columns[1], "");
  EXPECT_EQ(columns[2], "");
}

}  // namespace
