// sabun make and sabun bundle, run as the maker runs them: exit codes, the
// reason on a refusal, and no output file or folder unless all was made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/TestFiles.h"
#include "tests/tools/RunSabun.h"
#include "tests/tools/ToolsTestFonts.h"
#include "tools/authoring/UpdaterApply.h"

namespace {

namespace fs = std::filesystem;
using tools_test::Bytes;

class SabunMakeBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    m_old = tools_test::SmallFont("Veld Gothic W3", 0x00010000, tools_test::RandomBytes(4000, 1));
    Bytes cff = tools_test::RandomBytes(4000, 1);
    cff.insert(cff.begin() + 1000, 50, 0x77);
    m_new = tools_test::SmallFont("Veld Gothic W3", 0x00010100, cff);
    fs::create_directories(m_folder.File("pairs/old"));
    fs::create_directories(m_folder.File("pairs/new"));
    test_support::WriteBytes(m_folder.File("pairs/old/VeldGothic-W3.otf"), m_old);
    test_support::WriteBytes(m_folder.File("pairs/new/VeldGothic-W3.otf"), m_new);
  }

  tools_test::SabunRun Run(const std::string& arguments) const { return tools_test::RunSabun(m_folder, arguments); }

  std::string Path(const std::string& name) const { return "'" + m_folder.File(name) + "'"; }

  test_support::ScratchFolder m_folder;
  Bytes m_old;
  Bytes m_new;
};

TEST_F(SabunMakeBundle, MakeWritesACheckedPatch) {
  const tools_test::SabunRun made = Run("make " + Path("pairs/old/VeldGothic-W3.otf") + " " +
                                        Path("pairs/new/VeldGothic-W3.otf") + " -o " + Path("VeldGothic-W3.pa"));
  ASSERT_EQ(made.code, 0) << made.err;
  EXPECT_NE(made.out.find("font name: Veld Gothic W3"), std::string::npos) << made.out;
  EXPECT_NE(made.out.find("CFF  difference"), std::string::npos) << made.out;
  EXPECT_NE(made.out.find("byte for byte"), std::string::npos) << made.out;
  Bytes revised;
  std::string error;
  ASSERT_TRUE(
      authoring::ApplyWithUpdater(m_old, test_support::ReadBytes(m_folder.File("VeldGothic-W3.pa")), revised, error))
      << error;
  EXPECT_EQ(revised, m_new);
}

TEST_F(SabunMakeBundle, MakeRefusesWithAReasonAndNoFile) {
  // The revised font given twice: it has the installed font's identity.
  const tools_test::SabunRun refused = Run("make " + Path("pairs/new/VeldGothic-W3.otf") + " " +
                                           Path("pairs/new/VeldGothic-W3.otf") + " -o " + Path("x.pa"));
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("sabun make: "), std::string::npos);
  EXPECT_NE(refused.err.find("patch it twice"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(m_folder.File("x.pa")));

  const tools_test::SabunRun missing =
      Run("make " + Path("nothing.otf") + " " + Path("pairs/new/VeldGothic-W3.otf") + " -o " + Path("x.pa"));
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  EXPECT_FALSE(fs::exists(m_folder.File("x.pa")));

  EXPECT_NE(Run("make " + Path("pairs/old/VeldGothic-W3.otf")).code, 0);  // no NEW, no -o
}

TEST_F(SabunMakeBundle, BundleWritesTheUpdateDataFolder) {
  test_support::WriteBytes(m_folder.File("names.txt"), {'1', '2', '3', '4', '5', '\n'});
  const tools_test::SabunRun bundled =
      Run("bundle " + Path("pairs") + " -o " + Path("data") + " --download-names " + Path("names.txt"));
  ASSERT_EQ(bundled.code, 0) << bundled.err;
  EXPECT_NE(bundled.out.find("VeldGothic-W3.otf: patch 2001"), std::string::npos) << bundled.out;
  EXPECT_TRUE(fs::exists(m_folder.File("data/update.ini")));
  EXPECT_TRUE(fs::exists(m_folder.File("data/patches/2001.pa")));
  const Bytes names = test_support::ReadBytes(m_folder.File("data/download-names.txt"));
  EXPECT_EQ(std::string(names.begin(), names.end()), "12345\n");

  // A second bundle into the same folder is refused and leaves it as it was.
  const tools_test::SabunRun again = Run("bundle " + Path("pairs") + " -o " + Path("data"));
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("not an empty folder"), std::string::npos) << again.err;
  EXPECT_TRUE(fs::exists(m_folder.File("data/patches/2001.pa")));
}

}  // namespace
