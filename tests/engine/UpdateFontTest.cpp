// Revising an installed font end to end: the file on disk before and after,
// the temporary file, the reports, and every failure on the way.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/OpenTypeManager.h"
#include "font/FontWords.h"
#include "patch/ResFileCtrl.h"
#include "platform/FileFaults.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "search/FolderCheckCtrl.h"
#include "tests/font/FontTestData.h"
#include "tests/patch/PatchBytes.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"

namespace {

using font_test::ProgressRecorder;
using test_support::ScratchFolder;

constexpr std::uint32_t kOldRevision = 0x00010000;
constexpr std::uint32_t kNewRevision = 0x00010041;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> InstalledFont() {
  return test_support::BuildFont({{"head", test_support::HeadTable(kOldRevision)},
                                  {"maxp", {0, 0, 0x50, 0, 0, 3}},
                                  {"name", test_support::NameTable({"(c)", "Kaku", "W3", "Kaku W3", "Kaku Gothic W3"})}});
}

// head replaced whole with the new revision, maxp kept, name kept; the same
// layout as the installed font (head at 60, maxp at 116, name at 124).
std::vector<std::uint8_t> Patch(const std::string& keptTag = "name") {
  std::vector<std::uint8_t> head = test_support::HeadTable(kNewRevision);
  const std::uint32_t nameLength = static_cast<std::uint32_t>(InstalledFont().size()) - 124;
  return test_patch::Build(
      "Kaku Gothic W3", kOldRevision, 124 + nameLength,
      {test_patch::Diff("head", 0, 0, 54, 60, {}, {{0, head}}), test_patch::Keep("maxp", 1, 1, 6, 116),
       test_patch::Keep(keptTag, 2, 2, nameLength, 124)});
}

class UpdateFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_fontPath = m_folder.File("Kaku.otf");
    test_support::WriteBytes(m_fontPath, InstalledFont());
    Install(Patch());
    platform::SetFileFaultHook([this](platform::FileOp op, const std::string& path) {
      // The temporary files: every file created but the update list's copy
      // and the fonts in the test's own folder.
      if (op == platform::FileOp::Create && path.find(".ini") == std::string::npos &&
          path.rfind(m_folder.Path(), 0) != 0) {
        m_created.push_back(path);
      }
      if (op == m_failOp && path == m_fontPath && ++m_opCount == m_failAt) return m_fault;
      return platform::Fault::None;
    });
  }

  void TearDown() override {
    platform::SetFileFaultHook({});
    DeleteFolderCheckCtrl();
    CResFileCtrl::ReleaseUpdateList();
    platform::SetResourceSource(nullptr);
  }

  void Install(std::vector<std::uint8_t> patch) {
    DeleteFolderCheckCtrl();
    CResFileCtrl::ReleaseUpdateList();
    m_resources = platform::MemoryResources();
    m_resources.Add("INIFILE", 2000, Bytes("[UPDATE_FONT]\r\nMAXNUM=1\r\nFONT_PAFILE1=Kaku.pa\r\nFONT_RESNUM1=2001\r\n"));
    m_resources.Add("FONT_PA", 2001, std::move(patch));
    platform::SetResourceSource(&m_resources);
  }

  void FailNth(platform::FileOp op, int nth, platform::Fault fault) {
    m_failOp = op;
    m_failAt = nth;
    m_fault = fault;
  }

  int Update(ProgressRecorder& recorder, const std::string& path, int count = 1, int index = 0) {
    COpenTypeManager manager;
    return manager.UpdateFont(path, kOldRevision, ProgressRecorder::Callback, &recorder, count, index);
  }

  bool NoTempFileLeft() const {
    return std::none_of(m_created.begin(), m_created.end(), [](const std::string& p) { return platform::FileExists(p); });
  }

  ScratchFolder m_folder;
  std::string m_fontPath;
  platform::MemoryResources m_resources;
  std::vector<std::string> m_created;
  platform::FileOp m_failOp = platform::FileOp::Delete;
  int m_failAt = 0;
  int m_opCount = 0;
  platform::Fault m_fault = platform::Fault::None;
};

TEST_F(UpdateFontTest, RevisesVerifiesAndCleansUp) {
  ProgressRecorder recorder;
  ASSERT_EQ(Update(recorder, m_fontPath), 0);
  const std::vector<std::uint8_t> revised = test_support::ReadBytes(m_fontPath);
  EXPECT_EQ(SumFontWords(revised), kCheckSumMagic);
  COpenTypeFont font;
  std::uint32_t revision = 0;
  std::string name;
  ASSERT_TRUE(font.ReadFontIdentity(m_fontPath, revision, name));
  EXPECT_EQ(revision, kNewRevision);
  EXPECT_EQ(name, "Kaku Gothic W3");
  EXPECT_EQ(recorder.Steps(), (std::vector<int>{10, 20, 30, 40, 55, 75, 90, 100}));
  EXPECT_EQ(recorder.reports.back().line2, "テンポラリフォルダからファイルをコピーしています。");
  EXPECT_EQ(recorder.reports.back().overall, 100);
  ASSERT_EQ(m_created.size(), 1u);
  EXPECT_TRUE(NoTempFileLeft());
}

TEST_F(UpdateFontTest, AStopBeforeTheCopyLeavesTheInstalledFontUntouched) {
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  for (int step : {10, 20, 30, 40, 55, 75, 90}) {
    ProgressRecorder recorder;
    recorder.stopAtStep = step;
    m_created.clear();
    EXPECT_EQ(Update(recorder, m_fontPath), 6) << step;
    EXPECT_EQ(test_support::ReadBytes(m_fontPath), before) << step;
    EXPECT_EQ(m_created.size(), step == 90 ? 1u : 0u) << "the file is still written at 90 only";
    EXPECT_TRUE(NoTempFileLeft()) << step;
  }
}

TEST_F(UpdateFontTest, AStopAnsweredAfterTheCopyIsIgnored) {
  ProgressRecorder recorder;
  recorder.stopAtStep = 100;
  EXPECT_EQ(Update(recorder, m_fontPath), 0);
  EXPECT_EQ(SumFontWords(test_support::ReadBytes(m_fontPath)), kCheckSumMagic);
}

TEST_F(UpdateFontTest, APatchThatNamesAMissingTableWritesNothing) {
  Install(Patch("post"));
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 1);
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
  EXPECT_TRUE(m_created.empty());
}

TEST_F(UpdateFontTest, AFailedCopyGivesTenAndPutsTheInstalledFontBack) {
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  for (platform::Fault fault : {platform::Fault::Refuse, platform::Fault::PartWay}) {
    FailNth(platform::FileOp::Copy, m_opCount + 1, fault);
    ProgressRecorder recorder;
    m_created.clear();
    EXPECT_EQ(Update(recorder, m_fontPath), 10);
    EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
    EXPECT_EQ(recorder.Steps().back(), 90);
    EXPECT_TRUE(NoTempFileLeft());
  }
}

TEST_F(UpdateFontTest, ACopyThatCannotBeReadBackGivesTwelve) {
  // The first open is the read of the installed font, the second the check.
  FailNth(platform::FileOp::Open, 2, platform::Fault::Refuse);
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 12);
  EXPECT_TRUE(NoTempFileLeft());
}

TEST_F(UpdateFontTest, AFontThatIsNotReadableGivesOne) {
  test_support::WriteBytes(m_fontPath, Bytes("OTTO but nothing else"));
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 1);
  EXPECT_EQ(Update(recorder, m_folder.File("Missing.otf")), 1);
  EXPECT_TRUE(m_created.empty());
}

TEST_F(UpdateFontTest, AFontFoundUnderALongerNameTakesThePatchItMatched) {
  const std::string longer = m_folder.File("Kaku_1.otf");
  test_support::WriteBytes(longer, InstalledFont());
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, longer), 1) << "not found by the search yet: no patch";
  ASSERT_TRUE(search->WalkFolder(m_folder.Path(), nullptr, nullptr, 0));
  ASSERT_EQ(search->foundFonts.size(), 2u);
  EXPECT_EQ(Update(recorder, longer), 0);
}

TEST_F(UpdateFontTest, AFontTakesThePatchOfTheNameItMatchedNotTheFirstOfItsFileName) {
  // Two list entries for Kaku.otf with the same old revision: the first for
  // another font of that file name, the second for this one.
  const std::vector<std::uint8_t> ownPatch = Patch();
  const std::uint32_t nameLength = static_cast<std::uint32_t>(InstalledFont().size()) - 124;
  std::vector<std::uint8_t> otherPatch = test_patch::Build(
      "Kaku Mincho W3", kOldRevision, 124 + nameLength,
      {test_patch::Diff("head", 0, 0, 54, 60, {}, {{0, test_support::HeadTable(0x00020000)}}),
       test_patch::Keep("maxp", 1, 1, 6, 116), test_patch::Keep("name", 2, 2, nameLength, 124)});
  DeleteFolderCheckCtrl();
  CResFileCtrl::ReleaseUpdateList();
  m_resources = platform::MemoryResources();
  m_resources.Add("INIFILE", 2000,
                  Bytes("[UPDATE_FONT]\r\nMAXNUM=2\r\nFONT_PAFILE1=Kaku.pa\r\nFONT_RESNUM1=2001\r\n"
                        "FONT_PAFILE2=Kaku.pa\r\nFONT_RESNUM2=2002\r\n"));
  m_resources.Add("FONT_PA", 2001, std::move(otherPatch));
  m_resources.Add("FONT_PA", 2002, ownPatch);
  platform::SetResourceSource(&m_resources);

  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  ASSERT_EQ(search->candidates.size(), 2u);
  ASSERT_TRUE(search->WalkFolder(m_folder.Path(), nullptr, nullptr, 0));
  ASSERT_EQ(search->foundFonts.size(), 1u);
  EXPECT_EQ(search->foundFonts[0]->resourceNumber, 2002);

  ProgressRecorder recorder;
  ASSERT_EQ(Update(recorder, m_fontPath), 0);
  COpenTypeFont font;
  std::uint32_t revision = 0;
  std::string name;
  ASSERT_TRUE(font.ReadFontIdentity(m_fontPath, revision, name));
  EXPECT_EQ(name, "Kaku Gothic W3");
  EXPECT_EQ(revision, kNewRevision) << "revised with the other font's patch";
}

TEST_F(UpdateFontTest, OverallPercentagesPlaceTheFontInTheRun) {
  ProgressRecorder recorder;
  ASSERT_EQ(Update(recorder, m_fontPath, 3, 1), 0);
  std::vector<int> overall;
  for (const auto& report : recorder.reports) overall.push_back(report.overall);
  EXPECT_EQ(overall, (std::vector<int>{36, 39, 43, 46, 51, 58, 63, 66}));
}

}  // namespace
