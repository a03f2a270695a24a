// sabun search and sabun update run as programs on the demo update data: a
// tree that holds every kind of near miss lists exactly the fonts the
// updater's search admits, and each is revised to the expected bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/TestFiles.h"
#include "tests/tools/RunSabun.h"

namespace {

namespace fs = std::filesystem;
using test_support::ScratchFolder;
using tools_test::RunSabun;

const std::string kData = test_support::SourcePath("resources/demo");

std::string Installed(const std::string& name) {
  return test_support::SourcePath("resources/demo/installed/" + name + ".otf.installed");
}
std::string Revised(const std::string& name) {
  return test_support::SourcePath("resources/demo/revised/" + name + ".otf");
}

void Put(const ScratchFolder& root, const std::string& relative, const std::string& from) {
  const fs::path path = fs::path(root.Path()) / relative;
  fs::create_directories(path.parent_path());
  fs::copy_file(from, path, fs::copy_options::overwrite_existing);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(SabunSearchUpdate, TheSearchAdmitsExactlyWhatTheUpdaterWouldRevise) {
  ScratchFolder root;
  const std::string bold = "TesselDemoSansJP-Bold";
  const std::string regular = "TesselDemoSansJP-Regular";
  // Admitted: the exact name, 2 and 3 extra characters, 7 folders deep.
  Put(root, "a/" + bold + ".otf", Installed(bold));
  Put(root, "b/" + bold + "_1.otf", Installed(bold));
  Put(root, "c/" + bold + "(1).otf", Installed(bold));
  Put(root, "1/2/3/4/5/6/7/" + regular + ".otf", Installed(regular));
  // Passed over: 8 folders deep, a revised copy, another font under a
  // listed name, a read-only copy, extra characters not at the end, the
  // extension in capitals, one extra character.
  Put(root, "1/2/3/4/5/6/7/8/" + regular + ".otf", Installed(regular));
  Put(root, "d/" + regular + ".otf", Revised(regular));
  Put(root, "e/" + regular + ".otf", Installed("TesselDemoSerifJP-Regular"));
  Put(root, "f/" + bold + ".otf", Installed(bold));
  fs::permissions(fs::path(root.Path()) / "f" / (bold + ".otf"), fs::perms::owner_read | fs::perms::group_read,
                  fs::perm_options::replace);
  Put(root, "g/x" + bold + ".otf", Installed(bold));
  Put(root, "g/" + bold + ".OTF", Installed(bold));
  Put(root, "g/" + bold + "1.otf", Installed(bold));
  Put(root, "g/" + bold + ".otf.bak", Installed(bold));
  // A download copy in the maker's download folder, and one elsewhere.
  Put(root, "Users/u/Veldmark/Fonts/Download/add/10002", Installed(bold));
  Put(root, "h/10002", Installed(bold));

  const auto search = RunSabun(root, "search --data '" + kData + "' '" + root.Path() + "'");
  ASSERT_EQ(search.code, 0) << search.err;
  std::vector<std::string> lines = Lines(search.out);
  std::sort(lines.begin(), lines.end());
  const std::vector<std::string> expected = {
      root.Path() + "1/2/3/4/5/6/7/" + regular + ".otf\t0x00010000\t2001",
      root.Path() + "a/" + bold + ".otf\t0x00010000\t2002",
      root.Path() + "b/" + bold + "_1.otf\t0x00010000\t2002",
      root.Path() + "c/" + bold + "(1).otf\t0x00010000\t2002",
      "download: " + root.Path() + "Users/u/Veldmark/Fonts/Download/add/10002",
  };
  EXPECT_EQ(lines, expected);

  // Every admitted font revised to the demo's revision, byte for byte.
  std::string fonts;
  for (const std::string& line : expected) {
    if (line.rfind("download: ", 0) != 0) fonts += " '" + line.substr(0, line.find('\t')) + "'";
  }
  const auto update = RunSabun(root, "update --data '" + kData + "'" + fonts);
  EXPECT_EQ(update.code, 0) << update.out << update.err;
  EXPECT_EQ(Lines(update.out).size(), 4u);
  for (const std::string& line : expected) {
    if (line.rfind("download: ", 0) == 0) continue;
    const std::string path = line.substr(0, line.find('\t'));
    const std::string name = path.find(regular) != std::string::npos ? regular : bold;
    EXPECT_EQ(test_support::ReadBytes(path), test_support::ReadBytes(Revised(name))) << path;
  }
  // Nothing of the update is left in the folders.
  for (const auto& entry : fs::recursive_directory_iterator(root.Path())) {
    EXPECT_EQ(entry.path().string().find(".tessel-"), std::string::npos) << entry.path();
  }

  // Revised fonts are not found again; a font with no patch is reported.
  EXPECT_EQ(RunSabun(root, "search --data '" + kData + "' '" + root.Path() + "a'").code, 1);
  const auto again = RunSabun(root, "update --data '" + kData + "' '" + root.Path() + "a/" + bold + ".otf'");
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.out.find("no patch"), std::string::npos) << again.out;
  EXPECT_EQ(RunSabun(root, "search --data '" + root.Path() + "missing' '" + root.Path() + "'").code, 2);
}

}  // namespace
