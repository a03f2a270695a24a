// The font search: which files it matches, how deep it goes, what it reports
// and which download copies it collects, on real folder trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "font/BigEndian.h"
#include "patch/ResFileCtrl.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "search/FolderCheckCtrl.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"

namespace {

using test_support::ScratchFolder;

constexpr std::uint32_t kRevision = 0x00010000;
const char kSeparator = platform::kPathSeparator;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A patch that names its font and revision; enough for the probe.
std::vector<std::uint8_t> PatchHeader(const std::string& fontName, std::uint32_t revision) {
  std::vector<std::uint8_t> patch(85, 0);
  std::memcpy(patch.data(), "VKTP", 4);
  std::memcpy(patch.data() + 4, fontName.data(), fontName.size());
  StoreU32(patch.data() + 68, revision);
  return patch;
}

std::vector<std::uint8_t> Font(const std::string& fontName, std::uint32_t revision) {
  return test_support::BuildFont({{"head", test_support::HeadTable(revision)},
                                  {"name", test_support::NameTable({"(c)", "Family", "Regular", "Unique", fontName})}});
}

struct ListEntry {
  std::string file;  // FONT_PAFILE
  std::string fontName;
  std::uint32_t revision;
};

// Installs an update list and its patches as the program's resources for
// the life of the fixture, and clears the run's instances around each test.
class SearchTest : public ::testing::Test {
 protected:
  void Install(const std::vector<ListEntry>& entries, const std::string& downloadNames = "") {
    std::string ini = "[UPDATE_FONT]\r\nMAXNUM=" + std::to_string(entries.size()) + "\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      ini +=
          "FONT_PAFILE" + n + "=" + entries[i].file + "\r\nFONT_RESNUM" + n + "=" + std::to_string(2001 + i) + "\r\n";
      m_resources.Add("FONT_PA", static_cast<std::uint16_t>(2001 + i),
                      PatchHeader(entries[i].fontName, entries[i].revision));
    }
    m_resources.Add("INIFILE", 2000, Bytes(ini));
    if (!downloadNames.empty()) m_resources.Add("DLNAMES", 1, Bytes(downloadNames));
    platform::SetResourceSource(&m_resources);
  }

  void TearDown() override {
    DeleteFolderCheckCtrl();
    CResFileCtrl::ReleaseUpdateList();
    platform::SetResourceSource(nullptr);
  }

  // Writes a font file below the scratch folder ("a/b/c.otf" style, '/' as
  // the separator in `relative`).
  std::string Put(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    std::string native = relative;
    std::replace(native.begin(), native.end(), '/', kSeparator);
    const std::string path = m_root.Path() + native;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    test_support::WriteBytes(path, bytes);
    return path;
  }

  std::vector<std::string> FoundPaths() {
    std::vector<std::string> paths;
    for (const auto& found : GetFolderCheckCtrl()->foundFonts) paths.push_back(found->path);
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  ScratchFolder m_root;
  platform::MemoryResources m_resources;
};

struct TextRecorder {
  std::vector<std::string> texts;
  std::size_t stopAfter = 0;  // 0: never
  static int Callback(const char* text, void* window) {
    auto* self = static_cast<TextRecorder*>(window);
    self->texts.push_back(text);
    return self->stopAfter != 0 && self->texts.size() >= self->stopAfter ? 1 : 0;
  }
};

TEST_F(SearchTest, CandidatesComeFromTheListEntriesWhosePatchReads) {
  Install({{"Alpha.pa", "Alpha Font", kRevision}, {"dir\\Beta.otf", "Beta Font", 0x00020000}});
  m_resources.Add("FONT_PA", 2002, Bytes("VKT"));  // the second patch has no magic
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  ASSERT_EQ(search->candidates.size(), 1u);
  EXPECT_EQ(search->candidates[0]->fontFileName, "Alpha.otf");
  EXPECT_EQ(search->candidates[0]->baseName, "Alpha");
  EXPECT_EQ(search->candidates[0]->fontName, "Alpha Font");
  EXPECT_EQ(search->candidates[0]->expectedRevision, kRevision);
  EXPECT_EQ(search->candidates[0]->resourceNumber, 2001);
  EXPECT_EQ(GetFolderCheckCtrl(), search);
}

TEST_F(SearchTest, FileNamesMatchWithNoneTwoOrThreeExtraCharactersAtTheEnd) {
  Install({{"Bunko.pa", "Bunko Mincho", kRevision}});
  const std::vector<std::uint8_t> font = Font("Bunko Mincho", kRevision);
  for (const char* name : {"Bunko.otf", "Bunko_1.otf", "Bunko(1).otf", "Bunko1.otf", "Bunko-100.otf", "xBunko.otf",
                           "xyBunko.otf", "Bunko.OTF", "Bunko.otf.bak"}) {
    Put(name, font);
  }
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  ASSERT_TRUE(search->WalkFolder(m_root.Path(), nullptr, nullptr, 0));
  EXPECT_EQ(FoundPaths(), (std::vector<std::string>{m_root.File("Bunko(1).otf"), m_root.File("Bunko.otf"),
                                                    m_root.File("Bunko_1.otf")}));
  for (const auto& found : search->foundFonts) {
    EXPECT_EQ(found->skipFlag, 0);
    EXPECT_EQ(found->expectedRevision, kRevision);
    EXPECT_EQ(found->resourceNumber, 2001);
  }
}

TEST_F(SearchTest, TheFontItselfMustCarryTheNameAndRevisionOfThePatch) {
  Install({{"Kaku.pa", "Kaku Gothic", kRevision}});
  Put("a/Kaku.otf", Font("Kaku Gothic", kRevision));
  Put("b/Kaku.otf", Font("Kaku Gothic", kRevision + 1));  // one unit of the lowest 16 bits off
  Put("c/Kaku.otf", Font("Kaku Gothic W3", kRevision));
  Put("d/Kaku.otf", Bytes("not a font at all"));
  GetFolderCheckCtrl()->WalkFolder(m_root.Path(), nullptr, nullptr, 0);
  EXPECT_EQ(FoundPaths(), (std::vector<std::string>{m_root.File(std::string("a") + kSeparator + "Kaku.otf")}));
}

TEST_F(SearchTest, ReadOnlyFontsAreNeverFound) {
  Install({{"Kaku.pa", "Kaku Gothic", kRevision}});
  const std::string path = Put("Kaku.otf", Font("Kaku Gothic", kRevision));
  std::filesystem::permissions(
      path,
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
      std::filesystem::perm_options::remove);
  GetFolderCheckCtrl()->WalkFolder(m_root.Path(), nullptr, nullptr, 0);
  EXPECT_TRUE(FoundPaths().empty());
}

TEST_F(SearchTest, TwoCandidatesWithOneBaseNameTheOneThatAgreesWins) {
  Install({{"Kaku.pa", "Kaku Gothic", kRevision}, {"Kaku.pa", "Kaku Gothic", 0x00020000}});
  Put("Kaku.otf", Font("Kaku Gothic", 0x00020000));
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  search->WalkFolder(m_root.Path(), nullptr, nullptr, 0);
  ASSERT_EQ(search->foundFonts.size(), 1u);
  EXPECT_EQ(search->foundFonts[0]->resourceNumber, 2002);
  const SearchCandidate* candidate = search->FindCandidateForPath(m_root.File("Kaku.otf"), 0x00020000);
  ASSERT_NE(candidate, nullptr);
  EXPECT_EQ(candidate->resourceNumber, 2002);
  EXPECT_EQ(search->FindCandidateForPath(m_root.File("Kaku_1.otf"), 0x00020000), nullptr);
  EXPECT_EQ(search->FindCandidateForPath(m_root.File("Kaku.OTF"), 0x00020000), nullptr);
  EXPECT_EQ(search->FindCandidateForPath(m_root.File("Kaku.otf"), 0x00030000), nullptr);
}

TEST_F(SearchTest, FontsSevenLevelsBelowTheRootAreFoundEightAreNot) {
  Install({{"Deep.pa", "Deep Font", kRevision}});
  const std::vector<std::uint8_t> font = Font("Deep Font", kRevision);
  Put("a/b/c/d/e/f/g/Deep.otf", font);
  Put("a/b/c/d/e/f/g/h/Deep_1.otf", font);
  GetFolderCheckCtrl()->WalkFolder(m_root.Path(), nullptr, nullptr, 0);
  std::string seven = m_root.Path();
  for (const char* folder : {"a", "b", "c", "d", "e", "f", "g"}) seven += std::string(folder) + kSeparator;
  EXPECT_EQ(FoundPaths(), (std::vector<std::string>{seven + "Deep.otf"}));
}

TEST_F(SearchTest, EveryTwentiethFolderIsReportedAndAStopEndsTheWalk) {
  Install({{"Kaku.pa", "Kaku Gothic", kRevision}});
  for (int i = 0; i < 45; ++i) {
    std::string name = "f";
    name += std::to_string(i);
    std::filesystem::create_directories(m_root.File(name));
  }
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  TextRecorder recorder;
  ASSERT_TRUE(search->WalkFolder(m_root.Path(), TextRecorder::Callback, &recorder, 0));
  EXPECT_EQ(search->directoryCount, 45u);
  ASSERT_EQ(recorder.texts.size(), 2u);
  for (const std::string& text : recorder.texts) {
    EXPECT_EQ(text.rfind(m_root.Path(), 0), 0u) << text;
    EXPECT_NE(text.find("を検索しています。"), std::string::npos) << text;
  }
  // The count goes on across walks: the next report comes at the 60th folder.
  TextRecorder stopper;
  stopper.stopAfter = 1;
  EXPECT_FALSE(search->WalkFolder(m_root.Path(), TextRecorder::Callback, &stopper, 0));
  EXPECT_EQ(search->directoryCount, 60u);
}

TEST_F(SearchTest, DownloadCopiesAreCollectedOnlyBelowTheMakersDownloadFolders) {
  Install({{"Kaku.pa", "Kaku Gothic", kRevision}}, "12345\r\n67890\r\nnotanumber\r\n");
  const std::string s(1, kSeparator);
  const std::vector<std::uint8_t> data = Bytes("download");
  Put("u/Veldmark/Fonts/Download/add/12345", data);
  Put("u/Quillory/Fonts/Download/add/sub/67890", data);
  Put("u/Veldmark/Fonts/Download/12345", data);  // not the add folder
  Put("u/other/67890", data);
  Put("u/Veldmark/Fonts/Download/add/123456", data);
  Put("u/Veldmark/Fonts/Download/add/notanumber", data);
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  search->WalkFolder(m_root.Path(), nullptr, nullptr, 0);
  std::vector<std::string> copies;
  for (const platform::FileIdentity& copy : search->downloadCopies) copies.push_back(copy.Path());
  std::sort(copies.begin(), copies.end());
  const std::string u = m_root.Path() + "u" + s;
  EXPECT_EQ(copies, (std::vector<std::string>{
                        u + "Quillory" + s + "Fonts" + s + "Download" + s + "add" + s + "sub" + s + "67890",
                        u + "Veldmark" + s + "Fonts" + s + "Download" + s + "add" + s + "12345"}));
}

TEST_F(SearchTest, EveryDriveIsReportedBeforeAnyFolderIsWalked) {
  Install({{"Kaku.pa", "Kaku Gothic", kRevision}});
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  TextRecorder recorder;
  ASSERT_TRUE(search->EnumerateDrives(TextRecorder::Callback, &recorder));
  ASSERT_FALSE(recorder.texts.empty());
  for (const std::string& text : recorder.texts) EXPECT_NE(text.find("ドライブを検索しました。"), std::string::npos);
  EXPECT_FALSE(search->fixedDrives.empty());
  TextRecorder stopper;
  stopper.stopAfter = 1;
  CFolderCheckCtrl second;
  EXPECT_FALSE(second.EnumerateDrives(TextRecorder::Callback, &stopper));
  EXPECT_EQ(stopper.texts.size(), 1u);
}

}  // namespace
