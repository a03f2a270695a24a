// The update data check on copies of the demo data with the faults that
// check-faults.sh does not make: a MAXNUM above the entries, a font listed
// twice, a file that is not a patch, a byte order mark, a missing start
// dialog section; and revisions and title counts as the check reads them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tools/authoring/TextCodes.h"
#include "tools/authoring/UpdateDataCheck.h"
#include "tools/authoring/UpdateDataFolder.h"

namespace {

namespace fs = std::filesystem;

// The demo data's update list and patches in `folder`, the list replaced by
// `ini` (UTF-8, written as code page 932) when it is given.
void CopyDemo(const std::string& folder, const std::string& ini = "") {
  fs::create_directories(folder + "/patches");
  const std::string demo = test_support::SourcePath("resources/demo");
  for (const char* name : {"2001.pa", "2002.pa", "2003.pa", "2004.pa"}) {
    fs::copy_file(demo + "/patches/" + name, folder + "/patches/" + name);
  }
  std::string text;
  if (ini.empty()) {
    const std::vector<std::uint8_t> bytes = test_support::ReadBytes(demo + "/update.ini");
    text.assign(bytes.begin(), bytes.end());
  } else {
    ASSERT_TRUE(authoring::EncodeCp932(ini, text));
  }
  test_support::WriteBytes(folder + "/update.ini", std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string Report(const std::string& folder) {
  authoring::CheckSummary summary;
  std::string report;
  for (const authoring::CheckProblem& problem : authoring::CheckUpdateData(folder, summary)) {
    report += authoring::FormatProblem("", problem) + "\n";
  }
  return report;
}

TEST(UpdateDataCheck, NamesEachFaultWithItsLine) {
  test_support::ScratchFolder scratch;
  const std::string folder = scratch.File("data");
  CopyDemo(folder,
           "[UPDATE_FONT]\r\nMAXNUM=5\r\n"
           "FONT_PAFILE1=TesselDemoSansJP-Regular.pa\r\nFONT_RESNUM1=2001\r\n"
           "FONT_PAFILE2=TesselDemoSansJP-Regular.pa\r\nFONT_RESNUM2=2002\r\n"
           "FONT_PAFILE3=TesselDemoSerifJP-Regular.pa\r\nFONT_RESNUM3=2003\r\n"
           "FONT_PAFILE4=TesselDemoSerifJP-Bold.pa\r\nFONT_RESNUM4=2004\r\n"
           "[UPDATE_FONT]\r\nMAXNUM=4\r\n");
  test_support::WriteBytes(folder + "/patches/2003.pa", {'V', 'K', 'T', 'Q', 0, 0, 0, 0});
  const std::string report = Report(folder);
  for (const char* expected : {
           "update.ini:11: error: [UPDATE_FONT] appears a second time",
           "update.ini:5: error: FONT_PAFILE2 names TesselDemoSansJP-Regular.otf again (entry 1 names it too)",
           "patches/2003.pa: error: is not a patch (it does not start with \"VKTP\")",
           "update.ini:1: error: entry 5 is missing (no FONT_PAFILE5, no FONT_RESNUM5)",
           "error: has no [UPDATE_STARTDLG_STRING] section: the start dialog shows no font lines",
       }) {
    EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
  }

  // Saved as UTF-8 with a byte order mark: said once, on line 1.
  std::vector<std::uint8_t> marked = {0xEF, 0xBB, 0xBF};
  const std::vector<std::uint8_t> demoList =
      test_support::ReadBytes(test_support::SourcePath("resources/demo/update.ini"));
  marked.insert(marked.end(), demoList.begin(), demoList.end());
  test_support::WriteBytes(folder + "/update.ini", marked);
  EXPECT_NE(Report(folder).find("update.ini:1: error: was saved as UTF-8 (it starts with a byte order mark)"),
            std::string::npos)
      << Report(folder);
}

// A list or patch larger than any font the updater reads is refused before
// anything is read (sparse files: nothing is written to the disk).
TEST(UpdateDataCheck, FilesLargerThanAnyFontAreRefusedUnread) {
  test_support::ScratchFolder scratch;
  const std::string folder = scratch.File("data");
  CopyDemo(folder);
  const std::uintmax_t tooLarge = (std::uintmax_t{256} << 20) + 1;
  fs::resize_file(folder + "/patches/2002.pa", tooLarge);
  std::string report = Report(folder);
  EXPECT_NE(report.find("patches/2002.pa: error: is larger than the tools read"), std::string::npos) << report;
  platform::MemoryResources blocks;
  std::string error;
  EXPECT_FALSE(authoring::LoadUpdateDataFolder(folder, blocks, error));
  EXPECT_NE(error.find("2002.pa is 268435457 bytes, more than the tools read"), std::string::npos) << error;

  fs::resize_file(folder + "/update.ini", tooLarge);
  report = Report(folder);
  EXPECT_NE(report.find("update.ini: error: is larger than any update list the updater reads"), std::string::npos)
      << report;
  EXPECT_FALSE(authoring::LoadUpdateDataFolder(folder, blocks, error));
  EXPECT_NE(error.find("update.ini is 268435457 bytes, more than the tools read"), std::string::npos) << error;
}

TEST(UpdateDataCheck, RevisionsAndTitleCounts) {
  EXPECT_EQ(authoring::FormatRevision(0x00010000), "1.000");
  EXPECT_EQ(authoring::FormatRevision(0x00010290), "1.010");  // 1.010 as fonts store it, 66192/65536
  EXPECT_EQ(authoring::FormatRevision(0x000200C5), "2.003");
  EXPECT_EQ(authoring::StatedFontCount("下記381フォントが改訂対象です。"), 381);
  EXPECT_EQ(authoring::StatedFontCount("ヴェルドマークフォント製品、下記３８１フォント"), 381);
  EXPECT_EQ(authoring::StatedFontCount("ヴェルドマークフォント製品の改訂です。"), std::nullopt);
}

}  // namespace
