// The update list text: code page 932, CRLF line ends, the keys the updater
// reads, and the texts it could not read back as written; the start dialog's
// font lines from real name tables.
#include <gtest/gtest.h>

#include "platform/Ini.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"
#include "tests/tools/ToolsTestFonts.h"
#include "tools/authoring/FamilyNames.h"
#include "tools/authoring/TextCodes.h"
#include "tools/authoring/UpdateListWriter.h"

namespace {

using authoring::UpdateListContent;

UpdateListContent Content() {
  UpdateListContent content;
  content.entries = {{"VeldGothic-W3.otf", 2001}, {"ヴェルド明朝-W5.otf", 2002}};
  content.title = "下記2フォントが改訂対象です。";
  content.lines = {"・ヴェルドゴシック W3", "・ヴェルド明朝 W5"};
  return content;
}

TEST(UpdateListWriter, WritesCodePage932WithCrlf) {
  std::string text;
  std::string error;
  ASSERT_TRUE(authoring::WriteUpdateList(Content(), text, error)) << error;
  std::string utf8;
  ASSERT_TRUE(authoring::DecodeCp932(text, utf8));
  EXPECT_EQ(utf8,
            "[UPDATE_FONT]\r\n"
            "MAXNUM=2\r\n"
            "FONT_PAFILE1=VeldGothic-W3.pa\r\n"
            "FONT_RESNUM1=2001\r\n"
            "FONT_PAFILE2=ヴェルド明朝-W5.pa\r\n"
            "FONT_RESNUM2=2002\r\n"
            "\r\n"
            "[UPDATE_STARTDLG_STRING]\r\n"
            "MAIN_TEXTTITLE=下記2フォントが改訂対象です。\r\n"
            "MAXNUM=2\r\n"
            "FONT_TEXTTITLE1=・ヴェルドゴシック W3\r\n"
            "FONT_TEXTTITLE2=・ヴェルド明朝 W5\r\n");
  // "・" is 81 45 in code page 932; no byte order mark; no bare LF.
  EXPECT_NE(text.find("\x81\x45"), std::string::npos);
  EXPECT_EQ(text.substr(0, 13), "[UPDATE_FONT]");
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      EXPECT_EQ(text[i - 1], '\r');
    }
  }
}

TEST(UpdateListWriter, ReadsBackThroughTheProfileReader) {
  std::string text;
  std::string error;
  ASSERT_TRUE(authoring::WriteUpdateList(Content(), text, error)) << error;
  test_support::ScratchFolder folder;
  const std::string path = folder.File("update.ini");
  test_support::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(platform::ReadProfileInt(path, "UPDATE_FONT", "MAXNUM", 0), 2);
  EXPECT_EQ(platform::ReadProfileInt(path, "UPDATE_FONT", "FONT_RESNUM2", 0), 2002);
  std::string name;
  ASSERT_TRUE(authoring::DecodeCp932(platform::ReadProfileString(path, "UPDATE_FONT", "FONT_PAFILE2", "", 255), name));
  EXPECT_EQ(name, "ヴェルド明朝-W5.pa");
  std::string line;
  ASSERT_TRUE(authoring::DecodeCp932(
      platform::ReadProfileString(path, "UPDATE_STARTDLG_STRING", "FONT_TEXTTITLE1", "", 255), line));
  EXPECT_EQ(line, "・ヴェルドゴシック W3");
}

TEST(UpdateListWriter, RefusesTextsTheUpdaterCouldNotRead) {
  std::string text;
  std::string error;
  auto refused = [&](UpdateListContent content) {
    const bool written = authoring::WriteUpdateList(content, text, error);
    return !written && text.empty() && !error.empty();
  };
  UpdateListContent content = Content();
  content.entries[0].installedFileName = "VeldGothic-W3.ttf";
  EXPECT_TRUE(refused(content));
  content = Content();
  content.entries[0].installedFileName = "fonts/VeldGothic-W3.otf";
  EXPECT_TRUE(refused(content));
  content = Content();
  content.entries[1].installedFileName = "한글-W5.otf";  // no code page 932 form
  EXPECT_TRUE(refused(content));
  EXPECT_NE(error.find("code page 932"), std::string::npos);
  content = Content();
  content.lines[0] = "・" + std::string(253, 'x');  // 255 bytes in code page 932
  EXPECT_TRUE(refused(content));
  content.lines[0] = "・" + std::string(252, 'x');
  EXPECT_FALSE(refused(content));
  content = Content();
  content.lines[1] = " ・ヴェルド明朝";  // the reader would drop the blank
  EXPECT_TRUE(refused(content));
  content = Content();
  content.title = "two\r\nlines";
  EXPECT_TRUE(refused(content));
  content = Content();
  content.entries[0].resourceNumber = 70000;
  EXPECT_TRUE(refused(content));
  EXPECT_TRUE(refused(UpdateListContent{}));
}

TEST(FamilyNames, PrefersJapaneseNamesOfARealFont) {
  if (!test_support::HostFileExists(tools_test::kSansCollection)) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const auto face = test_support::ExtractCollectionFace(
      test_support::ReadBytes(test_support::HostPath(tools_test::kSansCollection)), 0);
  authoring::FamilyName name;
  ASSERT_TRUE(authoring::ReadFamilyName(tools_test::TableOf(face, "name"), name));
  EXPECT_EQ(name.family, "Noto Sans CJK JP");
  EXPECT_EQ(name.style, "Regular");
}

TEST(FamilyNames, ReadsMacintoshRomanNames) {
  authoring::FamilyName name;
  ASSERT_TRUE(authoring::ReadFamilyName(test_support::NameTable({"c", "Sans 90\xA1", "Bold"}), name));
  EXPECT_EQ(name.family, "Sans 90°");
  EXPECT_EQ(name.style, "Bold");
  // A name the update list cannot carry (no code page 932 form) is no name.
  EXPECT_FALSE(authoring::ReadFamilyName(test_support::NameTable({"c", "Caf\x8E Sans", "Bold"}), name));
  EXPECT_FALSE(authoring::ReadFamilyName(test_support::NameTable({"c"}), name));
  EXPECT_FALSE(authoring::ReadFamilyName(std::vector<std::uint8_t>{0, 0, 0}, name));
}

TEST(FamilyNames, OneLinePerFamily) {
  const std::vector<std::string> lines = authoring::BuildFontLines({{"Veld Gothic", "W3"},
                                                                    {"Veld Mincho", "W3"},
                                                                    {"Veld Gothic", "W6"},
                                                                    {"Veld Round", "L"},
                                                                    {"Veld Round", "R"},
                                                                    {"Veld Round", "M"},
                                                                    {"Veld Round", "B"},
                                                                    {"Veld Round", "H"}});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "・Veld Gothic W3/W6");
  EXPECT_EQ(lines[1], "・Veld Mincho W3");
  EXPECT_EQ(lines[2], "・Veld Round（全5書体）");
}

}  // namespace
