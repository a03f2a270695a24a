// The whole run through the scripted face: every way out before the font
// list, a run that revises every font, a failing font, stops during the
// search and during the run, and the single instance. The fonts are small
// crafted 'OTTO' fonts in a scratch folder that stands in for the one fixed
// drive, with their patches embedded as the update data.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/DialogResult.h"
#include "app/KestrelApp.h"
#include "app/KestrelDlg.h"
#include "app/StringTable.h"
#include "font/OpenTypeFont.h"
#include "font/Progress.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/System.h"
#include "search/FolderCheckCtrl.h"
#include "tests/app/ScriptedFace.h"
#include "tests/patch/PatchBytes.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"

namespace {

using Log = std::vector<std::string>;

constexpr std::uint32_t kOldRevision = 0x00010000;
constexpr std::uint32_t kNewRevision = 0x00010041;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string FontName(int n) { return "Font" + std::to_string(n) + " Gothic W3"; }

std::vector<std::uint8_t> InstalledFont(int n) {
  const std::string family = "Font" + std::to_string(n);
  return test_support::BuildFont(
      {{"head", test_support::HeadTable(kOldRevision)},
       {"maxp", {0, 0, 0x50, 0, 0, 3}},
       {"name", test_support::NameTable({"(c)", family, "W3", family + " W3", FontName(n)})}});
}

// head replaced whole with the new revision, maxp and name kept, in the
// installed font's layout (head at 60, maxp at 116, name at 124).
std::vector<std::uint8_t> Patch(int n) {
  const std::uint32_t nameLength = static_cast<std::uint32_t>(InstalledFont(n).size()) - 124;
  return test_patch::Build(FontName(n), kOldRevision, 124 + nameLength,
                           {test_patch::Diff("head", 0, 0, 54, 60, {}, {{0, test_support::HeadTable(kNewRevision)}}),
                            test_patch::Keep("maxp", 1, 1, 6, 116), test_patch::Keep("name", 2, 2, nameLength, 124)});
}

// Writes `bytes` at `path`, making its folders.
void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  test_support::WriteBytes(path, bytes);
}

std::uint32_t RevisionOf(const std::string& path) {
  COpenTypeFont font;
  std::uint32_t revision = 0;
  std::string name;
  return font.ReadFontIdentity(path, revision, name) ? revision : 0;
}

struct FixedEnvironment : platform::EnvironmentSource {
  bool readable = true;
  platform::OsVersion version{2, 10, 0};
  bool administrator = true;
  bool GetOsVersion(platform::OsVersion& out) const override {
    out = version;
    return readable;
  }
  bool IsUserAdministrator() const override { return administrator; }
};

// The main dialog with each font's update written into the log, and a way
// to change what a font's update meets or returns.
class CRecordingDlg : public CKestrelDlg {
 public:
  CRecordingDlg(CScriptedFace& face) : CKestrelDlg(face), m_log(face.log) {}
  std::function<void(int index, const FoundFont&)> beforeUpdate;
  std::function<int(int index)> forcedCode;  // -1: the real update

 protected:
  int UpdateFont(const FoundFont& found, void* window, int count, int index) override {
    m_log.push_back("UpdateFont " + std::to_string(index) + "/" + std::to_string(count));
    if (beforeUpdate) beforeUpdate(index, found);
    if (forcedCode && forcedCode(index) >= 0) return forcedCode(index);
    return CKestrelDlg::UpdateFont(found, window, count, index);
  }

 private:
  Log& m_log;
};

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_drives = {{m_drive.Path(), platform::kDriveFixed}};
    platform::SetDriveListOverride(&m_drives);
    platform::SetEnvironmentSource(&m_environment);
    platform::SetSystemActions(&m_actions);
    platform::SetResourceSource(&m_resources);
  }

  void TearDown() override {
    platform::SetDriveListOverride(nullptr);
    platform::SetEnvironmentSource(nullptr);
    platform::SetSystemActions(nullptr);
    platform::SetResourceSource(nullptr);
  }

  // `count` fonts listed (MAXNUM `maxNum`, or `count`) with their patches,
  // installed below the drive unless `installed` is false, with a download
  // copy of the maker's download tool.
  void Prepare(int count, int maxNum = 0, bool installed = true) {
    std::string ini = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(maxNum != 0 ? maxNum : count) + "\r\n";
    const std::string sep(1, platform::kPathSeparator);
    for (int n = 1; n <= count; ++n) {
      const std::string number = std::to_string(n);
      ini += "FONT_PAFILE" + number + "=Font" + number + ".pa\r\nFONT_RESNUM" + number + "=" +
             std::to_string(2000 + n) + "\r\n";
      m_resources.Add("FONT_PA", static_cast<std::uint16_t>(2000 + n), Patch(n));
      paths.push_back(m_drive.File("Fonts" + sep + "Font" + number + ".otf"));
      if (installed) Put(paths.back(), InstalledFont(n));
    }
    // "テスト" and "・テスト" in code page 932.
    ini +=
        "\r\n[UPDATE_STARTDLG_STRING]\r\nMAIN_TEXTTITLE=\x83\x65\x83\x58\x83\x67\r\nMAXNUM=1\r\n"
        "FONT_TEXTTITLE1=\x81\x45\x83\x65\x83\x58\x83\x67\r\n";
    m_resources.Add("INIFILE", 2000, Bytes(ini));
    m_resources.Add("DLNAMES", 1, Bytes("10001\r\n"));
    downloadCopy = m_drive.File("Veldmark" + sep + "Fonts" + sep + "Download" + sep + "add" + sep + "10001");
    Put(downloadCopy, {1, 2, 3});
  }

  int Run(const std::function<void(CRecordingDlg&)>& adjust = {}) {
    CRecordingDlg dialog(face);
    if (adjust) adjust(dialog);
    const int result = face.RunMainDialog(dialog);
    runCode = dialog.RunCode();
    outcome = dialog.Outcome();
    return result;
  }

  test_support::ScratchFolder m_drive;
  std::vector<platform::Drive> m_drives;
  FixedEnvironment m_environment;
  CScriptedFace face;
  CRecordedActions m_actions{face.log};
  platform::MemoryResources m_resources;
  std::vector<std::string> paths;
  std::string downloadCopy;
  int runCode = -2;
  RunOutcome outcome = RunOutcome::kRevised;
};

const Log kBeforeTheRun = {"CStartDialog -> 1", "font list column", "CWaitDialog",    "CWaitDialog closed",
                           "main: 実行",        "main hidden",      "CProgressDialog"};

Log Joined(Log first, const Log& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST_F(FlowTest, ARunThatRevisesEveryFontResetsTheCacheAndOffersTheRestart) {
  for (const int restart : {kIdOk, kIdCancel}) {
    SCOPED_TRACE(restart);
    face = CScriptedFace();
    paths.clear();
    Prepare(3);
    face.answers = {kIdOk, restart};
    face.commands = {"実行"};
    EXPECT_EQ(Run(), kIdOk);
    Log expected = Joined(
        kBeforeTheRun, {"UpdateFont 0/3", "UpdateFont 1/3", "UpdateFont 2/3", "CProgressDialog closed", "WM_FONTCHANGE",
                        "font cache reset", "CNormalEndDialog 105 -> " + std::to_string(restart)});
    if (restart == kIdOk) expected.push_back("restart");
    EXPECT_EQ(face.log, expected);
    EXPECT_EQ(runCode, 0);
    EXPECT_EQ(outcome, RunOutcome::kRevised);
    // One row per found font, in the order of the search, which revises them in that order.
    Log rows = face.rows;
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, paths);
    for (const std::string& path : paths) EXPECT_EQ(RevisionOf(path), kNewRevision) << path;
    EXPECT_FALSE(platform::FileExists(downloadCopy));
    // The update list's own heading and lines, converted from code page 932.
    EXPECT_EQ(face.startHeading, "テスト\n\n");
    EXPECT_EQ(face.startColumns[0], "・テスト\n");
    // 300 ms after each font; each report 1 ms, and a second at 100/100.
    EXPECT_EQ(std::count(face.sleeps.begin(), face.sleeps.end(), 300u), 3);
    EXPECT_EQ(std::count(face.sleeps.begin(), face.sleeps.end(), 1000u), 1);
    EXPECT_EQ(face.reports.back().overallText, "100%");
    EXPECT_EQ(face.reports.back().stepText, "100%");
  }
}

TEST_F(FlowTest, EveryWayOutBeforeTheFontList) {
  struct Case {
    const char* what;
    platform::OsVersion version;
    bool administrator;
    bool readable;
    std::deque<int> answers;
    Log log;
  };
  const Case cases[] = {
      {"no version", {2, 10, 0}, true, false, {}, {"COKDialog 109"}},
      {"Windows 98", {1, 4, 10}, true, true, {}, {"COKDialog 110"}},
      {"Windows 8", {2, 6, 2}, true, true, {}, {"COKDialog 110"}},
      {"not an administrator", {2, 10, 0}, false, true, {}, {"COKDialog 111"}},
      {"Windows 7", {2, 6, 1}, true, true, {}, {}},
      {"Vista", {2, 6, 0}, true, true, {}, {}},
      {"start stopped", {2, 10, 0}, true, true, {kIdCancel, kIdOk}, {"CStartDialog -> 2", "CMessageDialog 102 -> 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    face = CScriptedFace();
    paths.clear();
    Prepare(1);
    m_environment.version = c.version;
    m_environment.administrator = c.administrator;
    m_environment.readable = c.readable;
    face.answers = c.answers;
    EXPECT_EQ(Run(), kIdCancel);
    EXPECT_EQ(face.log, c.log);
    EXPECT_EQ(outcome, c.answers.empty() ? RunOutcome::kFailed : RunOutcome::kStopped);
    EXPECT_EQ(RevisionOf(paths[0]), kOldRevision);
  }
}

TEST_F(FlowTest, TheStartDialogStaysWhenTheStopIsRefused) {
  Prepare(1, 0, false);
  face.answers = {kIdCancel, kIdCancel, kIdOk};
  EXPECT_EQ(Run(), kIdCancel);
  EXPECT_EQ(face.log, (Log{"CStartDialog -> 2", "CMessageDialog 102 -> 2", "CStartDialog -> 1", "font list column",
                           "CWaitDialog", "CWaitDialog closed", "COKDialog 107"}));
  EXPECT_EQ(outcome, RunOutcome::kNothingToRevise);
}

TEST_F(FlowTest, NoCandidateEndsBeforeTheSearch) {
  Prepare(1);
  m_resources.Add("FONT_PA", 2001, Bytes("not a patch"));
  face.answers = {kIdOk};
  EXPECT_EQ(Run(), kIdCancel);
  EXPECT_EQ(face.log, (Log{"CStartDialog -> 1", "font list column", "COKDialog 112"}));
}

TEST_F(FlowTest, AnIncompleteListOpensAnEmptyListThatCannotRun) {
  Prepare(1, 2);
  face.answers = {kIdCancel, kIdOk};
  face.commands = {"実行", "about", "中止", "中止"};
  EXPECT_EQ(Run(), kIdCancel);
  EXPECT_EQ(face.log, (Log{"COKDialog 119", "main: 実行", "COKDialog 108", "main: about", "CAboutDlg", "main: 中止",
                           "CMessageDialog 102 -> 2", "main: 中止", "CMessageDialog 102 -> 1"}));
  EXPECT_EQ(runCode, -1);
  // Closed by the user, but the list could not be read: a failure.
  EXPECT_EQ(outcome, RunOutcome::kFailed);
}

TEST_F(FlowTest, TheSecondOfFiveFailingStopsTheRunThere) {
  Prepare(5);
  std::vector<std::vector<std::uint8_t>> before;
  for (const std::string& path : paths) before.push_back(test_support::ReadBytes(path));
  face.answers = {kIdOk};
  face.commands = {"実行"};
  EXPECT_EQ(Run([](CRecordingDlg& dialog) {
              // The second font is cut short after the search found it.
              dialog.beforeUpdate = [](int index, const FoundFont& found) {
                if (index == 1) test_support::WriteBytes(found.path, {'O', 'T', 'T', 'O'});
              };
            }),
            kIdOk);
  EXPECT_EQ(face.log, Joined(kBeforeTheRun, {"UpdateFont 0/5", "UpdateFont 1/5", "CProgressDialog closed",
                                             "WM_FONTCHANGE", "CEndDialog 114"}));
  EXPECT_EQ(runCode, 1);
  EXPECT_EQ(outcome, RunOutcome::kFailed);
  ASSERT_EQ(face.rows.size(), 5u);
  EXPECT_EQ(face.messages.back(), FormatText(LoadProgramString(114), face.rows[1]));
  EXPECT_EQ(RevisionOf(face.rows[0]), kNewRevision);
  for (std::size_t i = 2; i < 5; ++i) {
    const std::size_t n = std::find(paths.begin(), paths.end(), face.rows[i]) - paths.begin();
    ASSERT_LT(n, paths.size());
    EXPECT_EQ(test_support::ReadBytes(paths[n]), before[n]) << paths[n];
  }
  EXPECT_TRUE(platform::FileExists(downloadCopy));
}

TEST_F(FlowTest, ACodeOutsideTheTableEndsAsAStop) {
  Prepare(2);
  face.answers = {kIdOk};
  face.commands = {"実行"};
  Run([](CRecordingDlg& dialog) { dialog.forcedCode = [](int) { return 3; }; });
  EXPECT_EQ(face.log,
            Joined(kBeforeTheRun, {"UpdateFont 0/2", "CProgressDialog closed", "WM_FONTCHANGE", "CEndDialog 106"}));
}

TEST_F(FlowTest, AStopDuringTheSearchIsAskedFirst) {
  // Confirmed at the first report: nothing was found yet.
  Prepare(2);
  face.stopAtWaitReport = 1;
  face.answers = {kIdOk, kIdOk};
  EXPECT_EQ(Run(), kIdCancel);
  EXPECT_EQ(face.log, (Log{"CStartDialog -> 1", "font list column", "CWaitDialog", "CMessageDialog 116 -> 1",
                           "CWaitDialog closed", "COKDialog 107"}));
  // Stopped before it could tell that nothing needs revising.
  EXPECT_EQ(outcome, RunOutcome::kStopped);
  ASSERT_FALSE(face.waitLines.empty());

  // Refused: the search goes on and finds both fonts.
  face = CScriptedFace();
  face.stopAtWaitReport = 1;
  // 次へ; 116 いいえ; the main dialog's 中止, 102 いいえ; 実行; 105 キャンセル.
  face.answers = {kIdOk, kIdCancel, kIdCancel, kIdCancel};
  face.commands = {"中止", "実行"};
  EXPECT_EQ(Run(), kIdOk);
  EXPECT_EQ(face.rows.size(), 2u);
  EXPECT_EQ(face.log.back(), "CNormalEndDialog 105 -> 2");
}

TEST_F(FlowTest, AStopDuringTheRunIsAskedAtTheNextReport) {
  // The 10th report is the second font's second step, before anything of it
  // is written.
  Prepare(3);
  face.stopAtProgressReport = 10;
  face.answers = {kIdOk, kIdOk};
  face.commands = {"実行"};
  Run();
  EXPECT_EQ(face.log, Joined(kBeforeTheRun, {"UpdateFont 0/3", "UpdateFont 1/3", "CMessageDialog 102 -> 1",
                                             "CProgressDialog closed", "WM_FONTCHANGE", "CEndDialog 106"}));
  EXPECT_EQ(runCode, 6);
  EXPECT_EQ(outcome, RunOutcome::kStopped);
  ASSERT_EQ(face.rows.size(), 3u);
  EXPECT_EQ(RevisionOf(face.rows[0]), kNewRevision);
  EXPECT_EQ(RevisionOf(face.rows[1]), kOldRevision);
  EXPECT_EQ(RevisionOf(face.rows[2]), kOldRevision);

  // Refused: the run goes on to the end.
  face = CScriptedFace();
  paths.clear();
  Prepare(3);
  face.stopAtProgressReport = 10;
  face.answers = {kIdOk, kIdCancel, kIdCancel};
  face.commands = {"実行"};
  Run();
  EXPECT_EQ(runCode, 0);
  EXPECT_EQ(face.log.back(), "CNormalEndDialog 105 -> 2");
}

TEST_F(FlowTest, ASecondExecuteDuringTheRunIsIgnored) {
  // A click queued before the main window hid reaches OnExecute from the
  // 10th report, in the second font: the run goes on, each font revised once.
  Prepare(3);
  face.executeAtProgressReport = 10;
  face.answers = {kIdOk, kIdCancel};
  face.commands = {"実行"};
  EXPECT_EQ(Run(), kIdOk);
  EXPECT_EQ(face.log, Joined(kBeforeTheRun, {"UpdateFont 0/3", "UpdateFont 1/3", "main: 実行", "UpdateFont 2/3",
                                             "CProgressDialog closed", "WM_FONTCHANGE", "font cache reset",
                                             "CNormalEndDialog 105 -> 2"}));
  EXPECT_EQ(runCode, 0);
  for (const std::string& path : paths) EXPECT_EQ(RevisionOf(path), kNewRevision) << path;
}

TEST_F(FlowTest, ASecondCopyEndsAtOnceWithoutAWindow) {
  Prepare(1);
  platform::SingleInstanceLock running(platform::ExecutableBaseName() + ".EXE");
  ASSERT_FALSE(running.AnotherCopyRunning());
  CKestrelApp second;
  EXPECT_EQ(second.InitInstance(face), RunOutcome::kAnotherCopy);
  EXPECT_TRUE(face.log.empty());
}

}  // namespace
