// sabun font, run as the maker runs it: its lines, its exit code and its
// reason on stderr.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "font/BigEndian.h"
#include "tests/font/FontTestData.h"

namespace {

struct ToolRun {
  int exitCode = -1;
  std::vector<std::string> out;
  std::vector<std::string> err;
};

std::vector<std::string> Lines(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

ToolRun SabunFont(const test_support::ScratchFolder& scratch, const std::string& fontPath) {
  const std::string command = std::string("'") + SABUN_PATH + "' font '" + fontPath + "' >'" + scratch.File("out") +
                              "' 2>'" + scratch.File("err") + "'; echo $? >'" + scratch.File("rc") + "'";
  ToolRun run;
  if (std::system(command.c_str()) != 0) return run;
  run.exitCode = std::atoi(Lines(test_support::ReadBytes(scratch.File("rc"))).at(0).c_str());
  run.out = Lines(test_support::ReadBytes(scratch.File("out")));
  run.err = Lines(test_support::ReadBytes(scratch.File("err")));
  return run;
}

// The directory lines expected for `font`, read from its bytes.
std::vector<std::string> DirectoryLines(const std::vector<std::uint8_t>& font) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < LoadU16(font.data() + 4); ++i) {
    const std::uint8_t* entry = font.data() + 12 + 16 * i;
    char line[64];
    std::snprintf(line, sizeof line, "%.4s 0x%08X 0x%08X 0x%08X", reinterpret_cast<const char*>(entry),
                  LoadU32(entry + 8), LoadU32(entry + 12), LoadU32(entry + 4));
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Concat(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST(SabunFont, AFontTheUpdaterCanRevise) {
  test_support::ScratchFolder scratch;
  const std::vector<std::uint8_t> font =
      test_support::BuildFont({{"CFF ", {1, 2, 3, 4, 5}},
                               {"head", test_support::HeadTable(0x00012000)},
                               {"name", test_support::NameTable({"a", "b", "c", "d", "Sample Font"})}},
                              {2, 0, 1});
  test_support::WriteBytes(scratch.File("Sample.otf"), font);
  const ToolRun run = SabunFont(scratch, scratch.File("Sample.otf"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Concat({"name: Sample Font", "revision: 0x00012000", "load: 0"}, DirectoryLines(font)));
  EXPECT_TRUE(run.err.empty());
}

TEST(SabunFont, PackageFontsWithToolTablesAreNamedAndRead) {
  const std::vector<std::uint8_t> stix = font_test::PackageFont(font_test::kStixRegular);
  if (stix.empty()) GTEST_SKIP() << "fonts-stix is not installed";
  test_support::ScratchFolder scratch;
  const ToolRun run = SabunFont(scratch, font_test::kStixRegular);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Concat({"name: STIXGeneral-Regular", "revision: 0x00011999", "load: 0"}, DirectoryLines(stix)));
  EXPECT_EQ(run.out.size(), 3u + 13u);
  EXPECT_EQ(run.out[4], "FFTM 0x00056E50 0x0000001C 0x5695ECC0");
  EXPECT_TRUE(run.err.empty());
}

TEST(SabunFont, NotoFacesAreNamedByTheirWindowsFullName) {
  const std::vector<std::uint8_t>& face = font_test::NotoFace(0);
  if (face.empty()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  test_support::ScratchFolder scratch;
  test_support::WriteBytes(scratch.File("NotoSansCJKjp-Regular.otf"), face);
  const ToolRun run = SabunFont(scratch, scratch.File("NotoSansCJKjp-Regular.otf"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Concat({"name: Noto Sans CJK JP", "revision: 0x00020106", "load: 0"}, DirectoryLines(face)));
  EXPECT_TRUE(run.err.empty());
}

TEST(SabunFont, FilesThatAreNoFonts) {
  test_support::ScratchFolder scratch;
  test_support::WriteBytes(scratch.File("text.otf"), {'h', 'e', 'l', 'l', 'o'});
  ToolRun run = SabunFont(scratch, scratch.File("text.otf"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, (std::vector<std::string>{"name: ", "revision: none", "load: 1"}));
  ASSERT_EQ(run.err.size(), 1u);
  EXPECT_NE(run.err[0].find("OTTO"), std::string::npos) << run.err[0];

  // A directory whose count runs past the end of the file: the entries that
  // are there are listed.
  std::vector<std::uint8_t> font = test_support::BuildFont({{"head", test_support::HeadTable(1)}});
  const std::string headLine = DirectoryLines(font).at(0);
  EXPECT_EQ(headLine.substr(0, 27), "head 0x0000001C 0x00000036 ");
  font.resize(12 + 16);
  test_support::PutU16(font, 4, 3);
  test_support::WriteBytes(scratch.File("cut.otf"), font);
  run = SabunFont(scratch, scratch.File("cut.otf"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, (std::vector<std::string>{"name: ", "revision: none", "load: 1", headLine}));

  run = SabunFont(scratch, scratch.File("missing.otf"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.err.size(), 1u);
}

}  // namespace
