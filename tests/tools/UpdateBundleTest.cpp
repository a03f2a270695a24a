// The update bundle: a folder of font pairs or a manifest in, an update data
// folder out, read back by the updater's own update list reader; and the
// project's demo data, whose patches must turn its installed fonts into its
// revised ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "patch/ResFileCtrl.h"
#include "platform/Ini.h"
#include "platform/Resources.h"
#include "tests/support/TestFiles.h"
#include "tests/tools/ToolsTestFonts.h"
#include "tools/authoring/TextCodes.h"
#include "tools/authoring/UpdateBundle.h"
#include "tools/authoring/UpdateDataFolder.h"
#include "tools/authoring/UpdaterApply.h"

namespace {

namespace fs = std::filesystem;
using tools_test::Bytes;

// The update list of an update data folder as the updater reads it.
class CUpdateListOf {
 public:
  explicit CUpdateListOf(const std::string& folder) {
    std::string error;
    m_loaded = authoring::LoadUpdateDataFolder(folder, m_resources, error);
    platform::SetResourceSource(&m_resources);
    m_list = CResFileCtrl::GetUpdateList();
    m_list->ReadStartDialogLines();
  }
  ~CUpdateListOf() {
    CResFileCtrl::ReleaseUpdateList();
    platform::SetResourceSource(nullptr);
  }
  bool Loaded() const { return m_loaded; }
  const CResFileCtrl& List() const { return *m_list; }
  std::string Line(std::size_t i) const {
    std::string utf8;
    authoring::DecodeCp932(m_list->fontTexts.at(i), utf8);
    return utf8;
  }

 private:
  platform::MemoryResources m_resources;
  bool m_loaded = false;
  CResFileCtrl* m_list = nullptr;
};

void WritePair(const std::string& folder, const std::string& file, const std::string& family, const std::string& style,
               std::uint32_t seed) {
  const Bytes name = tools_test::MacNameTable(family, style, family + " " + style);
  const Bytes oldFont = tools_test::RebuildFont(
      tools_test::SmallFont("x", 0x00010000, tools_test::RandomBytes(2000, seed)), {{"name", name}});
  Bytes cff = tools_test::RandomBytes(2000, seed);
  cff[100] ^= 0xFF;
  const Bytes newFont =
      tools_test::RebuildFont(tools_test::SmallFont("x", 0x00010000, cff), {{"name", name}}, 0x00011000);
  fs::create_directories(folder + "/old");
  fs::create_directories(folder + "/new");
  test_support::WriteBytes(folder + "/old/" + file, oldFont);
  test_support::WriteBytes(folder + "/new/" + file, newFont);
}

TEST(UpdateBundle, PairFolderToUpdateDataTheUpdaterReads) {
  test_support::ScratchFolder scratch;
  const std::string pairs = scratch.File("pairs");
  WritePair(pairs, "VeldGothic-W3.otf", "Veld Gothic", "W3", 1);
  WritePair(pairs, "VeldGothic-W6.otf", "Veld Gothic", "W6", 2);
  WritePair(pairs, "VeldMincho-W3.otf", "Veld Mincho", "W3", 3);

  authoring::BundleInput input;
  std::string error;
  ASSERT_TRUE(authoring::ReadPairFolder(pairs, input.fonts, error)) << error;
  input.downloadNames = {"10001", "10002"};
  input.jobs = 3;  // every font on a thread of its own
  const std::string out = scratch.File("update-data");
  std::vector<authoring::BundledFont> bundled;
  std::vector<std::string> log;
  ASSERT_TRUE(authoring::WriteBundle(
      input, out, [&](const std::string& line) { log.push_back(line); }, bundled, error))
      << error;
  ASSERT_EQ(bundled.size(), 3u);
  EXPECT_EQ(log.size(), 3u);

  // One font at a time writes the same files and the same log.
  input.jobs = 1;
  std::vector<authoring::BundledFont> alone;
  std::vector<std::string> aloneLog;
  ASSERT_TRUE(authoring::WriteBundle(
      input, scratch.File("one-at-a-time"), [&](const std::string& line) { aloneLog.push_back(line); }, alone, error))
      << error;
  EXPECT_EQ(aloneLog, log);
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    if (!entry.is_regular_file()) continue;
    EXPECT_EQ(test_support::ReadBytes(entry.path().string()),
              test_support::ReadBytes(scratch.File("one-at-a-time/" + fs::relative(entry.path(), out).string())))
        << entry.path();
  }

  EXPECT_TRUE(fs::exists(out + "/patches/2001.pa"));
  EXPECT_TRUE(fs::exists(out + "/patches/2003.pa"));
  EXPECT_FALSE(fs::exists(out + "/patches/2004.pa"));
  const Bytes names = test_support::ReadBytes(out + "/download-names.txt");
  EXPECT_EQ(std::string(names.begin(), names.end()), "10001\n10002\n");

  CUpdateListOf read(out);
  ASSERT_TRUE(read.Loaded());
  const CResFileCtrl& list = read.List();
  EXPECT_EQ(list.maxNum, 3);
  ASSERT_EQ(list.count, 3);
  EXPECT_EQ(list.entries[0]->fontFileName, "VeldGothic-W3.otf");
  EXPECT_EQ(list.entries[0]->resourceNumber, 2001);
  EXPECT_EQ(list.entries[2]->fontFileName, "VeldMincho-W3.otf");
  EXPECT_EQ(list.entries[2]->resourceNumber, 2003);
  ASSERT_EQ(list.fontTexts.size(), 2u);
  EXPECT_EQ(read.Line(0), "・Veld Gothic W3/W6");
  EXPECT_EQ(read.Line(1), "・Veld Mincho W3");

  // Each patch turns its installed font into the revised one.
  for (const auto& font : bundled) {
    Bytes revised;
    ASSERT_TRUE(authoring::ApplyWithUpdater(
        test_support::ReadBytes(pairs + "/old/" + font.installedFileName),
        test_support::ReadBytes(out + "/patches/" + std::to_string(font.patchNumber) + ".pa"), revised, error))
        << error;
    EXPECT_EQ(revised, test_support::ReadBytes(pairs + "/new/" + font.installedFileName));
  }
}

TEST(UpdateBundle, ManifestWithDownloadNamesAndTitle) {
  test_support::ScratchFolder scratch;
  WritePair(scratch.File("fonts"), "a.otf", "Veld Round", "M", 4);
  const std::string manifest =
      "# installed name\tinstalled font\trevised font\tdownload name\n"
      "\n"
      "ヴェルド丸ゴ-M.otf\tfonts/old/a.otf\tfonts/new/a.otf\t20001\r\n";
  test_support::WriteBytes(scratch.File("fonts.tsv"), Bytes(manifest.begin(), manifest.end()));

  authoring::BundleInput input;
  std::string error;
  ASSERT_TRUE(authoring::ReadManifest(scratch.File("fonts.tsv"), input.fonts, error)) << error;
  ASSERT_EQ(input.fonts.size(), 1u);
  EXPECT_EQ(input.fonts[0].downloadName, "20001");
  input.title = "ヴェルドマークフォント製品をご利用のお客様は、下記1フォントが改訂対象です。";
  std::vector<authoring::BundledFont> bundled;
  ASSERT_TRUE(authoring::WriteBundle(input, scratch.File("out"), nullptr, bundled, error)) << error;

  CUpdateListOf read(scratch.File("out"));
  ASSERT_EQ(read.List().count, 1);
  std::string fileName;
  ASSERT_TRUE(authoring::DecodeCp932(read.List().entries[0]->fontFileName, fileName));
  EXPECT_EQ(fileName, "ヴェルド丸ゴ-M.otf");
  ASSERT_EQ(read.List().fontTexts.size(), 1u);
  EXPECT_EQ(read.Line(0), "・Veld Round M");
  const Bytes names = test_support::ReadBytes(scratch.File("out/download-names.txt"));
  EXPECT_EQ(std::string(names.begin(), names.end()), "20001\n");
}

TEST(UpdateBundle, RefusesAndLeavesNothingBehind) {
  test_support::ScratchFolder scratch;
  const std::string pairs = scratch.File("pairs");
  WritePair(pairs, "good.otf", "Veld Gothic", "W3", 5);
  WritePair(pairs, "same.otf", "Veld Gothic", "W4", 6);
  // The second pair's revised font is the installed one: refused.
  fs::copy_file(pairs + "/old/same.otf", pairs + "/new/same.otf", fs::copy_options::overwrite_existing);

  authoring::BundleInput input;
  std::string error;
  ASSERT_TRUE(authoring::ReadPairFolder(pairs, input.fonts, error)) << error;
  std::vector<authoring::BundledFont> bundled;
  EXPECT_FALSE(authoring::WriteBundle(input, scratch.File("out"), nullptr, bundled, error));
  EXPECT_NE(error.find("same.otf"), std::string::npos) << error;
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), {}), 1);  // only pairs/: no output, no staging

  input.fonts.pop_back();
  fs::create_directories(scratch.File("full"));
  test_support::WriteBytes(scratch.File("full/keep.txt"), {1});
  EXPECT_FALSE(authoring::WriteBundle(input, scratch.File("full"), nullptr, bundled, error));
  EXPECT_NE(error.find("not an empty folder"), std::string::npos);

  input.downloadNames = {"1234"};
  EXPECT_FALSE(authoring::WriteBundle(input, scratch.File("out"), nullptr, bundled, error));
  EXPECT_NE(error.find("five digits"), std::string::npos);

  fs::remove(pairs + "/new/good.otf");
  EXPECT_FALSE(authoring::ReadPairFolder(pairs, input.fonts, error));
  EXPECT_NE(error.find("old/good.otf"), std::string::npos);

  test_support::WriteBytes(scratch.File("bad.tsv"), {'a', '\t', 'b', '\n'});
  EXPECT_FALSE(authoring::ReadManifest(scratch.File("bad.tsv"), input.fonts, error));
  EXPECT_NE(error.find("bad.tsv:1"), std::string::npos);
}

// Every refused pair is named, and not one patch line is logged before
// nothing is written; the title's count is the bundle's own.
TEST(UpdateBundle, NamesEveryRefusedPairAndCountsTheTitle) {
  test_support::ScratchFolder scratch;
  const std::string pairs = scratch.File("pairs");
  WritePair(pairs, "a-good.otf", "Veld Gothic", "W3", 5);
  WritePair(pairs, "b-same.otf", "Veld Gothic", "W4", 6);
  WritePair(pairs, "c-same.otf", "Veld Gothic", "W5", 7);
  for (const char* name : {"b-same.otf", "c-same.otf"}) {
    fs::copy_file(pairs + "/old/" + name, pairs + "/new/" + name, fs::copy_options::overwrite_existing);
  }
  authoring::BundleInput input;
  std::string error;
  ASSERT_TRUE(authoring::ReadPairFolder(pairs, input.fonts, error)) << error;
  std::vector<std::string> log;
  std::vector<authoring::BundledFont> bundled;
  for (unsigned jobs : {1u, 3u}) {
    input.jobs = jobs;
    log.clear();
    error.clear();
    EXPECT_FALSE(authoring::WriteBundle(
        input, scratch.File("out"), [&](const std::string& line) { log.push_back(line); }, bundled, error));
    EXPECT_TRUE(log.empty()) << log.front();
    EXPECT_EQ(error.find("a-good.otf"), std::string::npos) << error;
    EXPECT_NE(error.find("b-same.otf"), std::string::npos) << error;
    EXPECT_NE(error.find("\nc-same.otf"), std::string::npos) << error;
    EXPECT_NE(error.find("2 of 3 pairs refused"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(scratch.File("out")));
  }

  EXPECT_EQ(authoring::TitleWithCount("", 3), "下記3フォントが改訂対象です。");
  EXPECT_EQ(authoring::TitleWithCount("全{count}書体、下記{count}フォント", 381), "全381書体、下記381フォント");
  input.fonts.resize(1);
  input.title = "下記６フォントが改訂対象です。";  // full-width digits, as the start dialog's own heading has them
  EXPECT_FALSE(authoring::WriteBundle(input, scratch.File("out"), nullptr, bundled, error));
  EXPECT_NE(error.find("the title says 6 fonts, the bundle has 1"), std::string::npos) << error;
  input.title = "下記{count}フォントが改訂対象です。";
  ASSERT_TRUE(authoring::WriteBundle(input, scratch.File("out"), nullptr, bundled, error)) << error;
  CUpdateListOf read(scratch.File("out"));
  std::string title;
  ASSERT_TRUE(authoring::DecodeCp932(
      platform::ReadProfileString(read.List().iniPath, "UPDATE_STARTDLG_STRING", "MAIN_TEXTTITLE", "", 1024), title));
  EXPECT_EQ(title, "下記1フォントが改訂対象です。");
}

// The demo data the updater embeds by default: every listed font is there
// as installed (named NAME.otf.installed, so that no search takes the copy in
// the source tree for an installed font), and its patch turns it into the
// revised font beside it.
TEST(UpdateBundle, DemoDataRevisesItsInstalledFonts) {
  const std::string demo = test_support::SourcePath("resources/demo");
  if (!fs::exists(demo + "/update.ini")) GTEST_SKIP() << "no demo data";
  CUpdateListOf read(demo);
  ASSERT_TRUE(read.Loaded());
  ASSERT_GT(read.List().count, 0);
  EXPECT_EQ(read.List().count, read.List().maxNum);
  EXPECT_FALSE(read.List().fontTexts.empty());
  for (const auto& entry : read.List().entries) {
    SCOPED_TRACE(entry->fontFileName);
    const Bytes installed = test_support::ReadBytes(demo + "/installed/" + entry->fontFileName + ".installed");
    const Bytes patch = test_support::ReadBytes(demo + "/patches/" + std::to_string(entry->resourceNumber) + ".pa");
    Bytes revised;
    std::string error;
    ASSERT_TRUE(authoring::ApplyWithUpdater(installed, patch, revised, error)) << error;
    EXPECT_EQ(revised, test_support::ReadBytes(demo + "/revised/" + entry->fontFileName));
  }
  const Bytes names = test_support::ReadBytes(demo + "/download-names.txt");
  std::vector<std::string> lines;
  std::string line;
  for (std::uint8_t c : names) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  ASSERT_FALSE(lines.empty());
  for (const std::string& name : lines) EXPECT_TRUE(authoring::IsDownloadName(name)) << name;
}

TEST(UpdateDataFolder, ItsFilesBecomeTheBlocksTheUpdaterCarries) {
  platform::MemoryResources blocks;
  std::string error;
  const std::string folder = test_support::SourcePath("tests/platform/data");
  ASSERT_TRUE(authoring::LoadUpdateDataFolder(folder, blocks, error)) << error;
  for (const auto& [type, number, file] :
       std::vector<std::tuple<const char*, std::uint16_t, const char*>>{{"INIFILE", 2000, "update.ini"},
                                                                        {"FONT_PA", 2001, "patches/2001.pa"},
                                                                        {"DLNAMES", 1, "download-names.txt"}}) {
    platform::ResourceBytes loaded;
    ASSERT_TRUE(blocks.Find(type, number, loaded)) << type << number;
    EXPECT_EQ(Bytes(loaded.data, loaded.data + loaded.size), test_support::ReadBytes(folder + "/" + file)) << file;
  }
  platform::ResourceBytes empty;
  EXPECT_FALSE(blocks.Find("FONT_PA", 2002, empty));  // an empty patch file is no block

  EXPECT_FALSE(authoring::LoadUpdateDataFolder(folder + "/no-such-folder", blocks, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
