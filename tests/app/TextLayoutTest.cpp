// What the terminal face makes of texts: nothing outside reaches the terminal
// raw, kanji take two columns, cuts keep the telling end, and the start
// dialog's columns go side by side only where they fit.
#include <gtest/gtest.h>

#include "app/terminal/TextLayout.h"

namespace {

using namespace terminal_layout;

TEST(TextLayout, ControlCharactersAndBrokenBytesAreShownNotSent) {
  // A folder named to move the cursor and change the title.
  EXPECT_EQ(Escape("/a/\x1b]0;owned\x07/b"), "/a/\\x1b]0;owned\\x07/b");
  EXPECT_EQ(Escape("x\x7fy\tz"), "x\\x7fy\\x09z");
  // C1 controls (U+009B is a CSI on some terminals) and stray bytes.
  EXPECT_EQ(Escape("a\xc2\x9b"
                   "b"),
            "a\\xc2\\x9bb");
  EXPECT_EQ(Escape("\xff\xfe"), "\\xff\\xfe");
  EXPECT_EQ(Escape("\xe3\x83"), "\\xe3\\x83");
  // A right-to-left override and an isolate would reorder the row; their
  // neighbours (U+2010, U+206A) are shown as they are.
  EXPECT_EQ(Escape("evil\u202etxt.otf\u2066x\u2069"), "evil\\xe2\\x80\\xaetxt.otf\\xe2\\x81\\xa6x\\xe2\\x81\\xa9");
  EXPECT_EQ(Escape("\u202a\u2010\u206a"), "\\xe2\\x80\\xaa\u2010\u206a");
  // Line ends stay line ends; Japanese text is kept.
  EXPECT_EQ(Escape("一行目\r\n二行目\n"), "一行目\n二行目\n");
}

TEST(TextLayout, WidthsCutsAndFolds) {
  EXPECT_EQ(DisplayWidth("abc"), 3);
  EXPECT_EQ(DisplayWidth("改訂abc"), 7);
  EXPECT_EQ(CutEnd("改訂プログラム", 7), "改訂プ…");
  EXPECT_EQ(CutEnd("abc", 3), "abc");
  EXPECT_EQ(CutStart("/usr/share/fonts/フォント.otf", 12), "…ォント.otf");
  EXPECT_LE(DisplayWidth(CutStart("/usr/share/fonts/フォント.otf", 12)), 12);
  const std::vector<std::string> folded = Fold("あいうえおか\n\nxy", 6);
  EXPECT_EQ(folded, (std::vector<std::string>{"あいう", "えおか", "", "xy"}));
}

TEST(TextLayout, StartColumnsSideBySideOnlyWhereTheyFit) {
  const std::string columns[3] = {"・明朝 Regular\n・明朝 Bold\n", "・ゴシック\n", ""};
  const std::vector<std::string> wide = ArrangeColumns(columns, 80);
  EXPECT_EQ(wide, (std::vector<std::string>{"・明朝 Regular  ・ゴシック", "・明朝 Bold"}));
  const std::vector<std::string> narrow = ArrangeColumns(columns, 20);
  EXPECT_EQ(narrow, (std::vector<std::string>{"・明朝 Regular", "・明朝 Bold", "・ゴシック"}));
  const std::string none[3] = {"", "", ""};
  EXPECT_TRUE(ArrangeColumns(none, 80).empty());
}

}  // namespace
