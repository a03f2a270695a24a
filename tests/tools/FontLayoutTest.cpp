// The layout a patch gives a revised font, and the image the updater
// assembles from it.
#include "tools/authoring/FontLayout.h"

#include <gtest/gtest.h>

#include "font/BigEndian.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"
#include "tests/tools/ToolsTestFonts.h"

namespace {

using tools_test::Bytes;

TEST(FontLayout, FontAlreadyLaidOutAssemblesToItself) {
  Bytes font = tools_test::SmallFont("Layout Test", 0x00010000, tools_test::RandomBytes(1001, 1));
  COpenTypeFont loaded;
  ASSERT_EQ(loaded.ReadFontImage(font, "f.otf", nullptr, nullptr, 1, 0), 0);
  authoring::FontLayout layout;
  std::string error;
  ASSERT_TRUE(authoring::PlanLayout(loaded, layout, error)) << error;
  EXPECT_TRUE(layout.departures.empty());
  EXPECT_EQ(layout.newFileSize, font.size());
  std::uint8_t offsetTable[12];
  std::copy_n(font.begin(), 12, offsetTable);
  EXPECT_EQ(authoring::AssembleExpected(layout, offsetTable), font);
  std::vector<std::string> problems;
  EXPECT_TRUE(authoring::ChecksumsAreRight(loaded, problems));
}

TEST(FontLayout, PlacesTablesBackToBackInPhysicalOrderAndTagOrder) {
  // Directory order: post, CFF , head; physical order: head, post, CFF .
  Bytes font = test_support::BuildFont(
      {{"post", Bytes(32, 1)}, {"CFF ", Bytes(7, 2)}, {"head", test_support::HeadTable(0x00010000)}}, {2, 0, 1});
  font.insert(font.end(), 4, 0);  // trailing bytes
  COpenTypeFont loaded;
  ASSERT_EQ(loaded.ReadFontImage(font, "f.otf", nullptr, nullptr, 1, 0), 0);
  authoring::FontLayout layout;
  std::string error;
  ASSERT_TRUE(authoring::PlanLayout(loaded, layout, error)) << error;
  ASSERT_EQ(layout.places.size(), 3u);
  EXPECT_STREQ(layout.places[0].table->tagText, "CFF ");
  EXPECT_STREQ(layout.places[1].table->tagText, "head");
  EXPECT_STREQ(layout.places[2].table->tagText, "post");
  EXPECT_EQ(layout.places[1].fileOrder, 0);  // head first in the file
  EXPECT_EQ(layout.places[1].newOffset, 60u);
  EXPECT_EQ(layout.places[2].newOffset, 116u);  // 60 + 54 rounded up to 4
  EXPECT_EQ(layout.places[0].newOffset, 148u);
  EXPECT_EQ(layout.newFileSize, 156u);          // 148 + 7 rounded up to 4
  EXPECT_EQ(layout.departures.size(), 2u);      // directory order, trailing bytes

  std::uint8_t offsetTable[12];
  std::copy_n(font.begin(), 12, offsetTable);
  const Bytes assembled = authoring::AssembleExpected(layout, offsetTable);
  ASSERT_EQ(assembled.size(), 156u);
  COpenTypeFont check;
  ASSERT_EQ(check.ReadFontImage(assembled, "a.otf", nullptr, nullptr, 1, 0), 0);
  std::vector<std::string> problems;
  EXPECT_TRUE(authoring::ChecksumsAreRight(check, problems)) << problems.front();
}

TEST(FontLayout, ChecksumsOfARealFace) {
  if (!test_support::HostFileExists(tools_test::kSansCollection)) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const Bytes face = test_support::ExtractCollectionFace(
      test_support::ReadBytes(test_support::HostPath(tools_test::kSansCollection)), 2);
  COpenTypeFont loaded;
  ASSERT_EQ(loaded.ReadFontImage(face, "f.otf", nullptr, nullptr, 1, 0), 0);
  std::vector<std::string> problems;
  EXPECT_TRUE(authoring::ChecksumsAreRight(loaded, problems)) << problems.front();
  Bytes broken = face;
  broken[loaded.FindTagObject("GSUB")->offset + 100] ^= 1;
  ASSERT_EQ(loaded.ReadFontImage(broken, "f.otf", nullptr, nullptr, 1, 0), 0);
  EXPECT_FALSE(authoring::ChecksumsAreRight(loaded, problems));
  EXPECT_EQ(problems.size(), 2u);  // GSUB's checksum and the font-wide adjustment
}

}  // namespace
