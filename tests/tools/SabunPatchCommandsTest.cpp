// sabun info and sabun apply, run as the maker runs them: the output of info
// for a patch made by hand, and apply giving the updater's own result, its
// codes and reasons, and never a partial or unasked-for output file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/OpenTypeManager.h"
#include "platform/Resources.h"
#include "tests/patch/PatchBytes.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"
#include "tests/tools/RunSabun.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using test_patch::Diff;
using test_patch::Keep;
using test_patch::Record;

class SabunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_font = test_support::BuildFont({{"head", test_support::HeadTable(0x00010000)},
                                      {"hhea", Bytes(36, 0x11)},
                                      {"maxp", {0, 0, 0x50, 0, 0, 7}},
                                      {"name", test_support::NameTable({"a", "b", "c", "d", "Veld-W3"})}});
    m_nameLength = static_cast<std::uint32_t>(test_support::NameTable({"a", "b", "c", "d", "Veld-W3"}).size());
    // New directory hhea, name, head, maxp; file order name, maxp, head, hhea.
    const std::uint32_t nameAt = 76, maxpAt = (nameAt + m_nameLength + 3) / 4 * 4, headAt = maxpAt + 8,
                        hheaAt = headAt + 56;
    m_size = hheaAt + 36;
    m_records = {
        Diff("maxp", 3, 1, 6, maxpAt, {}, {{0, {0, 0, 0x50, 0, 1, 2}}}),
        Keep("name", 1, 0, 0, nameAt),
        Diff("head", 2, 2, 54, headAt, {{0, 4, 0}, {8, 46, 8}}, {{4, {0x00, 0x01, 0x80, 0x00}}}),
        Keep("hhea", 0, 3, 36, hheaAt),
    };
    m_oldPath = m_folder.File("Veld-W3.otf");
    m_patchPath = m_folder.File("2001.pa");
    m_outPath = m_folder.File("out.otf");
    test_support::WriteBytes(m_oldPath, m_font);
    test_support::WriteBytes(m_patchPath, Patch());
  }

  Bytes Patch(const std::string& name = "Veld-W3") const {
    return test_patch::Build(name, 0x00010000, m_size, m_records);
  }

  // Runs sabun with `arguments`; the code is the exit status.
  tools_test::SabunRun Sabun(const std::string& arguments) const { return tools_test::RunSabun(m_folder, arguments); }

  // The files in the folder other than the font and the patch.
  std::vector<std::string> OtherFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != "Veld-W3.otf" && name != "2001.pa" && name != "bad.pa") names.push_back(name);
    }
    return names;
  }

  // What the updater's own build makes of the font and the patch.
  Bytes UpdatersResult() const {
    platform::MemoryResources resources;
    resources.Add("FONT_PA", 2001, Patch());
    platform::SetResourceSource(&resources);
    COpenTypeManager manager;
    const std::string temp = m_folder.File("expected.otf");
    EXPECT_EQ(manager.ReadFontImage(m_font, m_oldPath, nullptr, nullptr, 1, 0), 0);
    EXPECT_EQ(manager.BuildNewFont(m_oldPath, 2001, temp, nullptr, nullptr, 1, 0), 0);
    platform::SetResourceSource(nullptr);
    Bytes bytes = test_support::ReadBytes(temp);
    std::filesystem::remove(temp);
    return bytes;
  }

  test_support::ScratchFolder m_folder;
  Bytes m_font;
  std::uint32_t m_nameLength = 0, m_size = 0;
  std::vector<Record> m_records;
  std::string m_oldPath, m_patchPath, m_outPath;
};

TEST_F(SabunTest, InfoShowsTheHeaderAndEveryRecord) {
  const Bytes patch = Patch();
  const std::uint32_t maxpBlock = 85 + 18 * 4;
  const std::uint32_t headBlock = maxpBlock + 4 + 4 + 8 + 6;
  const tools_test::SabunRun run = Sabun("info '" + m_patchPath + "'");
  EXPECT_EQ(run.code, 0) << run.err;
  const std::string expected =
      "magic: VKTP\n"
      "font name: Veld-W3\n"
      "old revision: 0x00010000\n"
      "new file size: " +
      std::to_string(m_size) +
      "\n"
      "table count: 4\n"
      "maxp 3 1 " +
      std::to_string(maxpBlock) + " 6 " + std::to_string(m_records[0].newOffset) +
      " old=0 new=1\n"
      "name 1 0 0 0 76 old=0 new=0\n"
      "head 2 2 " +
      std::to_string(headBlock) + " 54 " + std::to_string(m_records[2].newOffset) +
      " old=2 new=1\n"
      "hhea 0 3 0 36 " +
      std::to_string(m_records[3].newOffset) + " old=0 new=0\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_TRUE(run.err.empty());
}

TEST_F(SabunTest, InfoRefusesWhatTheUpdaterDoesNotLoad) {
  struct Case {
    Bytes bytes;
    const char* reason;
  };
  Bytes truncated = Patch();
  truncated.resize(truncated.size() - 1);
  Bytes wrongMagic = Patch();
  wrongMagic[3] = 'Q';
  Bytes fewRecords = Patch();
  fewRecords[76] = 40;
  const std::vector<Case> cases = {
      {Bytes(20, 0), "shorter than the 85-byte header"},
      {wrongMagic, "does not start with \"VKTP\""},
      {fewRecords, "table records run past its end"},
      {truncated, "record 2 ('head'): its difference block runs past"},
  };
  for (const Case& c : cases) {
    test_support::WriteBytes(m_folder.File("bad.pa"), c.bytes);
    const tools_test::SabunRun run = Sabun("info '" + m_folder.File("bad.pa") + "'");
    EXPECT_EQ(run.code, 1) << c.reason;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  const tools_test::SabunRun missing = Sabun("info '" + m_folder.File("none.pa") + "'");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
}

TEST_F(SabunTest, ApplyGivesTheUpdatersResult) {
  const tools_test::SabunRun run = Sabun("apply '" + m_oldPath + "' '" + m_patchPath + "' -o '" + m_outPath + "'");
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;  // no reports unless asked, and the patch is this font's
  EXPECT_TRUE(test_support::ReadBytes(m_outPath) == UpdatersResult());
  EXPECT_EQ(OtherFiles(), std::vector<std::string>{"out.otf"});

  // An existing output is kept unless --force is given.
  test_support::WriteBytes(m_outPath, {'o', 'l', 'd'});
  const tools_test::SabunRun refused = Sabun("apply '" + m_oldPath + "' '" + m_patchPath + "' -o '" + m_outPath + "'");
  EXPECT_EQ(refused.code, 11);
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_EQ(test_support::ReadBytes(m_outPath), (Bytes{'o', 'l', 'd'}));
  const tools_test::SabunRun forced =
      Sabun("apply --force --progress '" + m_oldPath + "' '" + m_patchPath + "' -o '" + m_outPath + "'");
  EXPECT_EQ(forced.code, 0) << forced.err;
  EXPECT_TRUE(test_support::ReadBytes(m_outPath) == UpdatersResult());
  // --progress shows the update's reports, one line each, in order.
  std::vector<std::string> steps;
  for (std::size_t at = 0; (at = forced.err.find("] ", at)) != std::string::npos; at += 2) {
    steps.push_back(forced.err.substr(at + 2, 3));
  }
  EXPECT_EQ(steps, (std::vector<std::string>{" 10", " 20", " 30", " 40", " 55", " 75", " 90"}));
}

TEST_F(SabunTest, ApplyExitsWithTheUpdatersCodeAndAReason) {
  // A patch whose table count is not the font's: 1, nothing written.
  std::vector<Record> fewer = m_records;
  fewer.pop_back();
  test_support::WriteBytes(m_folder.File("bad.pa"), test_patch::Build("Veld-W3", 0x00010000, m_size, fewer));
  tools_test::SabunRun run =
      Sabun("apply '" + m_oldPath + "' '" + m_folder.File("bad.pa") + "' -o '" + m_outPath + "'");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("does not fit this font"), std::string::npos) << run.err;
  EXPECT_TRUE(OtherFiles().empty());

  // Not a patch: 7.
  test_support::WriteBytes(m_folder.File("bad.pa"), Bytes(100, 'x'));
  run = Sabun("apply '" + m_oldPath + "' '" + m_folder.File("bad.pa") + "' -o '" + m_outPath + "'");
  EXPECT_EQ(run.code, 7);
  EXPECT_NE(run.err.find("cannot be loaded"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("does not start with \"VKTP\""), std::string::npos) << run.err;  // the reason
  run = Sabun("apply '" + m_oldPath + "' '" + m_folder.File("none.pa") + "' -o '" + m_outPath + "'");
  EXPECT_EQ(run.code, 7);
  EXPECT_TRUE(OtherFiles().empty());

  // Not a font the updater reads: 1.
  run = Sabun("apply '" + m_patchPath + "' '" + m_patchPath + "' -o '" + m_outPath + "'");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("is not a font the updater reads"), std::string::npos) << run.err;

  // An output folder that does not exist: 11.
  run = Sabun("apply '" + m_oldPath + "' '" + m_patchPath + "' -o '" + m_folder.File("none/out.otf") + "'");
  EXPECT_EQ(run.code, 11);
  EXPECT_FALSE(run.err.empty());
  EXPECT_TRUE(OtherFiles().empty());
}

TEST_F(SabunTest, ApplyNotesAPatchMadeForAnotherFont) {
  test_support::WriteBytes(m_patchPath, Patch("Veld-W5"));
  const tools_test::SabunRun run = Sabun("apply '" + m_oldPath + "' '" + m_patchPath + "' -o '" + m_outPath + "'");
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.err.find("the patch is for \"Veld-W5\" revision 0x00010000, the font is \"Veld-W3\""),
            std::string::npos)
      << run.err;
}

}  // namespace
