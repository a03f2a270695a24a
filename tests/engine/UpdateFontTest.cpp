// Revising an installed font end to end: the file on disk before and after,
// the temporary file, the reports, and every failure on the way.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

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
#include "tests/support/RecordedFontHolds.h"
#include "tests/support/TestFiles.h"

namespace {

using font_test::ProgressRecorder;
using test_support::ScratchFolder;

constexpr std::uint32_t kOldRevision = 0x00010000;
constexpr std::uint32_t kNewRevision = 0x00010041;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// No write bit for anyone (on Windows: the read-only attribute), or back.
void SetReadOnly(const std::string& path, bool readOnly) {
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

std::vector<std::uint8_t> InstalledFont() {
  return test_support::BuildFont(
      {{"head", test_support::HeadTable(kOldRevision)},
       {"maxp", {0, 0, 0x50, 0, 0, 3}},
       {"name", test_support::NameTable({"(c)", "Kaku", "W3", "Kaku W3", "Kaku Gothic W3"})}});
}

// head replaced whole with the new revision, maxp kept, name kept; the same
// layout as the installed font (head at 60, maxp at 116, name at 124).
std::vector<std::uint8_t> Patch(const std::string& keptTag = "name") {
  std::vector<std::uint8_t> head = test_support::HeadTable(kNewRevision);
  const std::uint32_t nameLength = static_cast<std::uint32_t>(InstalledFont().size()) - 124;
  return test_patch::Build("Kaku Gothic W3", kOldRevision, 124 + nameLength,
                           {test_patch::Diff("head", 0, 0, 54, 60, {}, {{0, head}}),
                            test_patch::Keep("maxp", 1, 1, 6, 116), test_patch::Keep(keptTag, 2, 2, nameLength, 124)});
}

class UpdateFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_fontPath = m_folder.File("Kaku.otf");
    test_support::WriteBytes(m_fontPath, InstalledFont());
    Install(Patch());
    platform::SetFileFaultHook([this](platform::FileOp op, const std::string& path) {
      // The temporary files: every file created but the update list's copy
      // and the files in the font's own folder.
      const bool inFolder = path.rfind(m_folder.Path(), 0) == 0;
      if (op == platform::FileOp::Create && path.find(".ini") == std::string::npos && !inFolder) {
        m_created.push_back(path);
      }
      if (op == m_failOp && KindOf(path) == m_failKind && ++m_opCount == m_failAt) return m_fault;
      return platform::Fault::None;
    });
  }

  // Which of the update's files `path` is.
  enum class Kind { kInstalled, kTemporary, kBeside, kOther };
  Kind KindOf(const std::string& path) const {
    if (path == m_fontPath) return Kind::kInstalled;
    if (path.rfind(m_fontPath + ".tessel-", 0) == 0) return Kind::kBeside;
    if (path.rfind(m_folder.Path(), 0) != 0 && path.find(".ini") == std::string::npos) return Kind::kTemporary;
    return Kind::kOther;
  }

  // The files of the update still there besides the font: those in its
  // folder and the temporary ones.
  int FilesLeft() const {
    int left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path())) {
      if (entry.path().filename() != "Kaku.otf") ++left;
    }
    for (const std::string& path : m_created) left += platform::FileExists(path) ? 1 : 0;
    return left;
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
    m_resources.Add("INIFILE", 2000,
                    Bytes("[UPDATE_FONT]\r\nMAXNUM=1\r\nFONT_PAFILE1=Kaku.pa\r\nFONT_RESNUM1=2001\r\n"));
    m_resources.Add("FONT_PA", 2001, std::move(patch));
    platform::SetResourceSource(&m_resources);
  }

  void FailNth(platform::FileOp op, int nth, platform::Fault fault, Kind kind = Kind::kInstalled) {
    m_failKind = kind;
    m_opCount = 0;
    m_failOp = op;
    m_failAt = nth;
    m_fault = fault;
  }

  int Update(ProgressRecorder& recorder, const std::string& path, int count = 1, int index = 0) {
    COpenTypeManager manager;
    return manager.UpdateFont(path, kOldRevision, ProgressRecorder::Callback, &recorder, count, index);
  }

  bool NoTempFileLeft() const {
    return std::none_of(m_created.begin(), m_created.end(),
                        [](const std::string& p) { return platform::FileExists(p); });
  }

  ScratchFolder m_folder;
  std::string m_fontPath;
  platform::MemoryResources m_resources;
  std::vector<std::string> m_created;
  platform::FileOp m_failOp = platform::FileOp::Delete;
  Kind m_failKind = Kind::kInstalled;
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

// The same font revised a second time (a second path to it, the same path
// named twice): its patch no longer fits its name and revision, so nothing
// is written and the code is 1, never a patch applied to the revision.
TEST_F(UpdateFontTest, AFontRevisedAlreadyIsNotPatchedAgain) {
  ProgressRecorder first;
  ASSERT_EQ(Update(first, m_fontPath), 0);
  const std::vector<std::uint8_t> revised = test_support::ReadBytes(m_fontPath);
  m_created.clear();
  ProgressRecorder second;
  EXPECT_EQ(Update(second, m_fontPath), 1);
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), revised);
  EXPECT_TRUE(m_created.empty());
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

// Every file operation of one font's update made to fail in turn: the
// result code, and the installed font whole, old or revised, after each.
// The table is printed; the README shows it.
TEST_F(UpdateFontTest, EveryFileOperationFailingInTurnLeavesAWholeFont) {
  using platform::Fault;
  using platform::FileOp;
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  ProgressRecorder first;
  ASSERT_EQ(Update(first, m_fontPath), 0);
  const std::vector<std::uint8_t> revised = test_support::ReadBytes(m_fontPath);

  struct Row {
    const char* operation;
    FileOp op;
    Kind kind;
    int nth;
    Fault fault;
    int code;
    bool revisedAfter;
    int left;
  };
  const Row rows[] = {
      {"open the installed font", FileOp::Open, Kind::kInstalled, 1, Fault::Refuse, 1, false, 0},
      {"read the installed font", FileOp::Read, Kind::kInstalled, 1, Fault::PartWay, 1, false, 0},
      {"create the temporary file", FileOp::Create, Kind::kTemporary, 1, Fault::Refuse, 11, false, 0},
      {"write the temporary file", FileOp::Write, Kind::kTemporary, 1, Fault::Refuse, 11, false, 0},
      {"write the temporary file", FileOp::Write, Kind::kTemporary, 1, Fault::PartWay, 11, false, 0},
      {"create the file beside the font", FileOp::Create, Kind::kBeside, 1, Fault::Refuse, 10, false, 0},
      {"write the file beside the font", FileOp::Write, Kind::kBeside, 1, Fault::Refuse, 10, false, 0},
      {"write the file beside the font", FileOp::Write, Kind::kBeside, 1, Fault::PartWay, 10, false, 0},
      {"flush the file beside the font", FileOp::Flush, Kind::kBeside, 1, Fault::Refuse, 10, false, 0},
      {"replace the installed font", FileOp::Replace, Kind::kInstalled, 1, Fault::Refuse, 10, false, 0},
      {"open the revised font to verify", FileOp::Open, Kind::kInstalled, 2, Fault::Refuse, 12, false, 0},
      {"read the revised font to verify", FileOp::Read, Kind::kInstalled, 2, Fault::PartWay, 12, false, 0},
      {"delete the temporary file", FileOp::Delete, Kind::kTemporary, 1, Fault::Refuse, 0, true, 1},
  };
  std::ostringstream table;
  table << "| operation | failure | code | installed font | files left |\n|---|---|---|---|---|\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.operation);
    test_support::WriteBytes(m_fontPath, before);
    m_created.clear();
    FailNth(row.op, row.nth, row.fault, row.kind);
    ProgressRecorder recorder;
    const int code = Update(recorder, m_fontPath);
    platform::SetFileFaultHook({});
    const std::vector<std::uint8_t> now = test_support::ReadBytes(m_fontPath);
    const char* state = now == revised  ? "revised, verified"
                        : now != before ? "DAMAGED"
                        : code >= 12    ? "old, put back"
                                        : "old, untouched";
    const int left = FilesLeft();
    table << "| " << row.operation << " | " << (row.fault == Fault::Refuse ? "refused" : "cut short") << " | " << code
          << " | " << state << " | " << left << " |\n";
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(now, row.revisedAfter ? revised : before);
    EXPECT_EQ(left, row.left);
    for (const std::string& path : m_created) platform::RemoveFile(path);
    SetUp();
  }
  std::cout << table.str();
}

// Text in the revised font's place, padded so that its words sum to what
// every well-formed font sums to, as an attacker who could redirect the
// file read back would write it: the sum alone passes it, the bytes do not.
TEST_F(UpdateFontTest, VerificationTellsTheRevisedFontFromTextPaddedToItsSum) {
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  std::vector<std::uint8_t> forged = Bytes("root's font is mine now, says eve.......");
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < forged.size(); i += 4)
    sum += static_cast<std::uint32_t>(forged[i] << 24 | forged[i + 1] << 16 | forged[i + 2] << 8 | forged[i + 3]);
  const std::uint32_t pad = 0xB1B0AFBAu - sum;
  for (int shift = 24; shift >= 0; shift -= 8) forged.push_back(static_cast<std::uint8_t>(pad >> shift));
  ASSERT_EQ(forged.size(), 44u);
  int opens = 0;
  platform::SetFileFaultHook([&](platform::FileOp op, const std::string& path) {
    if (op == platform::FileOp::Open && path == m_fontPath && ++opens == 2)
      test_support::WriteBytes(m_fontPath, forged);
    return platform::Fault::None;
  });
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 13);
  platform::SetFileFaultHook({});
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
  EXPECT_EQ(FilesLeft(), 0);
}

TEST_F(UpdateFontTest, AReadOnlyFontIsNotReplaced) {
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  SetReadOnly(m_fontPath, true);
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 10);
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
  EXPECT_EQ(FilesLeft(), 0);
  SetReadOnly(m_fontPath, false);
}

TEST_F(UpdateFontTest, AMissingTemporaryFolderGivesOneAndWritesNothing) {
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  const std::string missing = m_folder.File("no-such-folder");
#ifdef _WIN32
  const char* names[] = {"TMP", "TEMP"};
#else
  const char* names[] = {"TMPDIR"};
#endif
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : names) {
    const char* value = std::getenv(name);
    saved.emplace_back(name, value != nullptr ? value : "");
#ifdef _WIN32
    _putenv_s(name, missing.c_str());
#else
    ::setenv(name, missing.c_str(), 1);
#endif
  }
  ProgressRecorder recorder;
  const int code = Update(recorder, m_fontPath);
  for (const auto& [name, value] : saved) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
#endif
  }
  EXPECT_EQ(code, 1);
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
  EXPECT_EQ(FilesLeft(), 0);
}

#ifdef _WIN32
TEST_F(UpdateFontTest, AFontHeldOpenWithoutSharingIsLeftAlone) {
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  const HANDLE held = ::CreateFileA(m_fontPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 1) << "it cannot even be read";
  ::CloseHandle(held);
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
  EXPECT_EQ(FilesLeft(), 0);
}

// A font the session keeps loaded: readable, but its file is not replaced
// while it is held. The hold is let go (recorded here), the replacement
// tried again, the font taken back; still held, the code is 10 with the
// font as it was and nothing left beside it.
TEST_F(UpdateFontTest, AFontThatStaysInUseGivesTenAndIsTakenBack) {
  test_support::RecordedFontHolds holds(1);
  platform::SetSystemActions(&holds);
  const std::vector<std::uint8_t> before = test_support::ReadBytes(m_fontPath);
  const HANDLE held =
      ::CreateFileA(m_fontPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 10);
  ::CloseHandle(held);
  platform::SetSystemActions(nullptr);
  EXPECT_EQ(holds.log, (std::vector<std::string>{"release " + m_fontPath, "restore " + m_fontPath + " 1"}));
  EXPECT_EQ(test_support::ReadBytes(m_fontPath), before);
  EXPECT_EQ(FilesLeft(), 0);
}
#endif

TEST_F(UpdateFontTest, LeftoversOfAKilledRunBesideTheFontAreRemoved) {
  const std::string leftover = m_fontPath + ".tessel-17330000001234.part";
  const std::string other = m_folder.File("Other.otf.tessel-17330000001234.part");
  test_support::WriteBytes(leftover, {1, 2, 3});
  test_support::WriteBytes(other, {1, 2, 3});
  ProgressRecorder recorder;
  EXPECT_EQ(Update(recorder, m_fontPath), 0);
  EXPECT_FALSE(platform::FileExists(leftover));
  EXPECT_TRUE(platform::FileExists(other)) << "another font's file is not ours to remove";
  platform::RemoveFile(other);
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
  std::vector<std::uint8_t> otherPatch =
      test_patch::Build("Kaku Mincho W3", kOldRevision, 124 + nameLength,
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
