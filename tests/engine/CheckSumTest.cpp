// The head checksums of a revised font and the verification of the copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/OpenTypeManager.h"
#include "font/BigEndian.h"
#include "font/ByteReader.h"
#include "font/FontWords.h"
#include "tests/font/FontTestData.h"

namespace {

using font_test::ProgressRecorder;
using test_support::BuildFont;

struct HeadPlace {
  std::size_t entry = 0;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// Where the first head table of `image` is, read independently of the code
// under test.
HeadPlace FindHead(const std::vector<std::uint8_t>& image) {
  const std::uint16_t count = LoadU16(image.data() + 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 12 + 16 * i;
    if (std::memcmp(image.data() + entry, "head", 4) == 0) {
      return {entry, LoadU32(image.data() + entry + 8), LoadU32(image.data() + entry + 12)};
    }
  }
  ADD_FAILURE() << "no head table";
  return {};
}

std::vector<std::uint8_t> SmallFont() {
  return BuildFont({{"CFF ", {1, 2, 3, 4, 5, 6, 7}},
                    {"head", test_support::HeadTable(0x00010000)},
                    {"name", test_support::NameTable({"a", "b", "c", "d", "Font"})},
                    {"post", {9, 9, 9}}});
}

// Runs RecalcCheckSum on `image` as the new font, with the offset table the
// image itself carries.
int Recalc(COpenTypeManager& manager, const std::vector<std::uint8_t>& image, ProgressRecorder* recorder,
           const std::string& path = "/fonts/Sample Font.otf", int fontCount = 1, int fontIndex = 0) {
  manager.newImage.Assign(image);
  manager.newFontSize = static_cast<std::uint32_t>(image.size());
  return manager.RecalcCheckSum(path, LoadU32(image.data()), LoadU16(image.data() + 4), LoadU16(image.data() + 6),
                                LoadU16(image.data() + 8), LoadU16(image.data() + 10),
                                recorder ? ProgressRecorder::Callback : nullptr, recorder, fontCount, fontIndex);
}

TEST(RecalcCheckSum, RealFontsGetBackTheirOwnChecksums) {
  std::vector<std::vector<std::uint8_t>> fonts;
  for (const char* path :
       {font_test::kStixRegular, font_test::kStixSizeOne, font_test::kLibertineRegular, font_test::kBiolinumKeyboard}) {
    fonts.push_back(font_test::PackageFont(path));
  }
  fonts.push_back(font_test::NotoFace(3));
  for (const std::vector<std::uint8_t>& font : fonts) {
    if (font.empty()) GTEST_SKIP() << "a package font is missing (scripts/install-deps.sh all installs them)";
  }
  for (const std::vector<std::uint8_t>& font : fonts) {
    ASSERT_EQ(font.size() % 4, 0u);
    EXPECT_EQ(SumFontWords(font), kCheckSumMagic);
    // The font as the assembler leaves it: head's checksum and adjustment
    // not yet known.
    const HeadPlace head = FindHead(font);
    std::vector<std::uint8_t> built = font;
    StoreU32(built.data() + head.entry + 4, 0x12345678);
    StoreU32(built.data() + head.offset + 8, 0);
    COpenTypeManager manager;
    ProgressRecorder recorder;
    ASSERT_EQ(Recalc(manager, built, &recorder), 0);
    EXPECT_TRUE(std::ranges::equal(manager.newImage, font)) << "the image differs from the real font";
    EXPECT_EQ(recorder.Steps(), std::vector<int>{75});
  }
}

TEST(RecalcCheckSum, HeadChecksumIsTakenWithAZeroAdjustment) {
  std::vector<std::uint8_t> font = SmallFont();
  const HeadPlace head = FindHead(font);
  StoreU32(font.data() + head.offset + 8, 0xFFFFFFFF);
  COpenTypeManager manager;
  ASSERT_EQ(Recalc(manager, font, nullptr), 0);
  const platform::ImageBuffer& image = manager.newImage;
  std::vector<std::uint8_t> headBytes(font.begin() + head.offset, font.begin() + head.offset + 56);
  StoreU32(headBytes.data() + 8, 0);
  EXPECT_EQ(LoadU32(image.data() + head.entry + 4), CalcTableCheckSum(headBytes, head.length));
  EXPECT_EQ(SumFontWords(image), kCheckSumMagic);
  // Only head's entry and its adjustment changed.
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i >= head.entry + 4 && i < head.entry + 8) continue;
    if (i >= head.offset + 8 && i < head.offset + 12) continue;
    EXPECT_EQ(image[i], font[i]) << "byte " << i;
  }
}

TEST(RecalcCheckSum, HeadIsSummedZeroPaddedWhenTheNextTableStartsInItsPadding) {
  // A layout the patch may give: the next table's first bytes where head's
  // padding would be.
  std::vector<std::uint8_t> font = SmallFont();
  const HeadPlace head = FindHead(font);
  ASSERT_EQ(head.length, 54u);
  font[head.offset + 54] = 0xAA;
  font[head.offset + 55] = 0xBB;
  COpenTypeManager manager;
  ASSERT_EQ(Recalc(manager, font, nullptr), 0);
  std::vector<std::uint8_t> headBytes(font.begin() + head.offset, font.begin() + head.offset + 54);
  StoreU32(headBytes.data() + 8, 0);
  EXPECT_EQ(LoadU32(manager.newImage.data() + head.entry + 4), CalcTableCheckSum(headBytes, 54));
  EXPECT_EQ(SumFontWords(manager.newImage), kCheckSumMagic);
}

TEST(RecalcCheckSum, TrailingBytesCountAsOneMoreWord) {
  for (std::size_t extra : {1u, 2u, 3u}) {
    std::vector<std::uint8_t> font = SmallFont();
    for (std::size_t i = 0; i < extra; ++i) font.push_back(static_cast<std::uint8_t>(0x12 + 0x22 * i));
    COpenTypeManager manager;
    ASSERT_EQ(Recalc(manager, font, nullptr), 0);
    ASSERT_EQ(manager.newImage.size(), font.size());
    std::uint8_t last[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < extra; ++i) last[i] = manager.newImage[font.size() - extra + i];
    EXPECT_EQ(SumFontWords(manager.newImage) + LoadU32(last), kCheckSumMagic) << extra;
  }
  // For example the two bytes 0x12 0x34 count as 0x12340000.
  std::vector<std::uint8_t> font = SmallFont();
  font.push_back(0x12);
  font.push_back(0x34);
  COpenTypeManager manager;
  ASSERT_EQ(Recalc(manager, font, nullptr), 0);
  EXPECT_EQ(SumFontWords(manager.newImage), kCheckSumMagic - 0x12340000u);
}

TEST(RecalcCheckSum, ReportsStep75) {
  COpenTypeManager manager;
  ProgressRecorder recorder;
  ASSERT_EQ(Recalc(manager, SmallFont(), &recorder, "/fonts/Sample Font.otf", 3, 1), 0);
  ASSERT_EQ(recorder.reports.size(), 1u);
  EXPECT_EQ(recorder.reports[0].step, 75);
  EXPECT_EQ(recorder.reports[0].overall, 33 + 25);
  EXPECT_EQ(recorder.reports[0].line1, "/fonts/Sample Font.otfの改訂をしています。");
  EXPECT_EQ(recorder.reports[0].line2, "Sample Fontのファイルにチェックサムを再計算しています。");
  recorder.reports.clear();
  ASSERT_EQ(Recalc(manager, SmallFont(), &recorder, "a.b.otf", 381, 380), 0);
  ASSERT_EQ(recorder.reports.size(), 1u);
  EXPECT_EQ(recorder.reports[0].overall, 99);
  EXPECT_EQ(recorder.reports[0].line2, "a.bのファイルにチェックサムを再計算しています。");
}

TEST(RecalcCheckSum, StopLeavesTheAdjustmentAtZero) {
  std::vector<std::uint8_t> font = SmallFont();
  const HeadPlace head = FindHead(font);
  StoreU32(font.data() + head.offset + 8, 0xAAAAAAAA);
  COpenTypeManager manager;
  ProgressRecorder recorder;
  recorder.stopAtStep = 75;
  EXPECT_EQ(Recalc(manager, font, &recorder), 6);
  EXPECT_EQ(LoadU32(manager.newImage.data() + head.offset + 8), 0u);
  EXPECT_EQ(recorder.Steps(), std::vector<int>{75});
}

TEST(RecalcCheckSum, WithoutAHeadTableTheImageIsUnchanged) {
  const std::vector<std::uint8_t> noHead =
      BuildFont({{"CFF ", {1, 2, 3}}, {"Head", test_support::HeadTable(1)}, {"name", {0, 0, 0, 0, 0, 0}}});
  COpenTypeManager manager;
  ProgressRecorder recorder;
  EXPECT_EQ(Recalc(manager, noHead, &recorder), 9);
  EXPECT_TRUE(std::ranges::equal(manager.newImage, noHead));
  EXPECT_EQ(recorder.Steps(), std::vector<int>{75}) << "the report is still made";
  recorder.stopAtStep = 75;
  EXPECT_EQ(Recalc(manager, noHead, &recorder), 6);
  EXPECT_TRUE(std::ranges::equal(manager.newImage, noHead));
  EXPECT_EQ(Recalc(manager, BuildFont({}), nullptr), 9);
}

TEST(RecalcCheckSum, AHeadTableOutsideTheImageIsNoHeadTable) {
  const std::vector<std::uint8_t> good = SmallFont();
  const HeadPlace head = FindHead(good);
  const std::uint32_t size = static_cast<std::uint32_t>(good.size());
  for (auto [offset, length] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{size, 54},
                                                                                    {size - 8, 54},
                                                                                    {0xFFFFFFF8u, 54},
                                                                                    {head.offset, 0xFFFFFFFFu},
                                                                                    {size - 10, 10},
                                                                                    {head.offset, 11}}) {
    std::vector<std::uint8_t> bad = good;
    StoreU32(bad.data() + head.entry + 8, offset);
    StoreU32(bad.data() + head.entry + 12, length);
    COpenTypeManager manager;
    EXPECT_EQ(Recalc(manager, bad, nullptr), 9) << offset << "+" << length;
    EXPECT_TRUE(std::ranges::equal(manager.newImage, bad));
  }
  // A head table that ends exactly at the end of the image, unpadded, is
  // inside: its missing padding counts as zero.
  std::vector<std::uint8_t> last = BuildFont({{"name", {0, 0, 0, 0, 0, 0}}, {"head", test_support::HeadTable(7)}});
  last.resize(last.size() - 2);
  COpenTypeManager manager;
  EXPECT_EQ(Recalc(manager, last, nullptr), 0);
  const HeadPlace lastHead = FindHead(last);
  std::vector<std::uint8_t> headBytes(manager.newImage.begin() + lastHead.offset, manager.newImage.end());
  StoreU32(headBytes.data() + 8, 0);
  EXPECT_EQ(LoadU32(manager.newImage.data() + lastHead.entry + 4), CalcTableCheckSum(headBytes, 54));
}

TEST(RecalcCheckSum, DirectoryEntriesPastTheImageAreNotRead) {
  // The count passed in claims more entries than the image holds; head is
  // the second entry, found before the end.
  std::vector<std::uint8_t> font = SmallFont();
  COpenTypeManager manager;
  manager.newImage.Assign(font);
  manager.newFontSize = static_cast<std::uint32_t>(font.size());
  EXPECT_EQ(manager.RecalcCheckSum("a.otf", 0x4F54544F, 0xFFFF, 0, 0, 0, nullptr, nullptr, 1, 0), 0);
  // Only the first entry is searched when the count says so.
  manager.newImage.Assign(font);
  EXPECT_EQ(manager.RecalcCheckSum("a.otf", 0x4F54544F, 1, 0, 0, 0, nullptr, nullptr, 1, 0), 9);
  EXPECT_TRUE(std::ranges::equal(manager.newImage, font));
  // An image that ends inside the directory.
  std::vector<std::uint8_t> cut(font.begin(), font.begin() + 12 + 16 + 10);
  manager.newImage.Assign(cut);
  manager.newFontSize = static_cast<std::uint32_t>(cut.size());
  EXPECT_EQ(manager.RecalcCheckSum("a.otf", 0x4F54544F, 4, 0, 0, 0, nullptr, nullptr, 1, 0), 9);
  EXPECT_TRUE(std::ranges::equal(manager.newImage, cut));
}

TEST(RecalcCheckSum, TheFirstHeadEntryIsUsed) {
  std::vector<std::uint8_t> font = BuildFont(
      {{"head", test_support::HeadTable(1)}, {"head", test_support::HeadTable(2)}, {"name", {0, 0, 0, 0, 0, 0}}});
  COpenTypeManager manager;
  ASSERT_EQ(Recalc(manager, font, nullptr), 0);
  const std::uint32_t second = LoadU32(font.data() + 12 + 16 + 8);
  EXPECT_EQ(LoadU32(manager.newImage.data() + second + 8), 0u);
  EXPECT_EQ(LoadU32(manager.newImage.data() + 12 + 16 + 4), LoadU32(font.data() + 12 + 16 + 4));
  EXPECT_EQ(SumFontWords(manager.newImage), kCheckSumMagic);
}

TEST(OpenTypeManager, ReadingAFontReleasesTheUpdateState) {
  COpenTypeManager manager;
  manager.newImage.Assign(std::vector<std::uint8_t>(100, 1));
  ASSERT_EQ(manager.ReadFontImage(SmallFont(), "a.otf", nullptr, nullptr, 1, 0), 0);
  EXPECT_TRUE(manager.newImage.empty());
  manager.newImage.Assign(std::vector<std::uint8_t>(100, 1));
  std::uint32_t revision = 0;
  std::string name;
  EXPECT_TRUE(manager.ReadFontIdentityImage(SmallFont(), revision, name));
  EXPECT_TRUE(manager.newImage.empty());
}

class VerifyFontFile : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = m_scratch.File(name);
    test_support::WriteBytes(path, bytes);
    return path;
  }

  test_support::ScratchFolder m_scratch;
  COpenTypeManager m_manager;
};

TEST_F(VerifyFontFile, FilesThatCannotBeReadGive12) {
  EXPECT_EQ(m_manager.VerifyFontFile(m_scratch.File("missing.otf"), 0), 12);
  EXPECT_EQ(m_manager.VerifyFontFile(Write("empty.otf", {}), 0), 12);
  EXPECT_EQ(m_manager.VerifyFontFile(m_scratch.Path(), 0), 12);
}

TEST_F(VerifyFontFile, ComparesTheWordSum) {
  const std::vector<std::uint8_t> stix = font_test::PackageFont(font_test::kStixSizeOne);
  if (stix.empty()) GTEST_SKIP() << "fonts-stix is not installed";
  EXPECT_EQ(m_manager.VerifyFontFile(Write("stix.otf", stix), kCheckSumMagic), 0);
  std::vector<std::uint8_t> changed = stix;
  changed[1000] ^= 0x01;
  EXPECT_EQ(m_manager.VerifyFontFile(Write("changed.otf", changed), kCheckSumMagic), 13);
  EXPECT_EQ(m_manager.VerifyFontFile(test_support::HostPath(font_test::kStixSizeOne), kCheckSumMagic), 0);
}

TEST_F(VerifyFontFile, TrailingBytesAreNotCounted) {
  for (std::size_t size : {1u, 2u, 3u}) {
    const std::string path = Write("tiny" + std::to_string(size), std::vector<std::uint8_t>(size, 0xFF));
    EXPECT_EQ(m_manager.VerifyFontFile(path, 0), 0) << size;
    EXPECT_EQ(m_manager.VerifyFontFile(path, 1), 13) << size;
  }
  // A revised font whose size is not a multiple of 4, and a copy that differs
  // from it only in those last bytes.
  std::vector<std::uint8_t> font = SmallFont();
  font.insert(font.end(), {0x12, 0x34, 0x56});
  ASSERT_EQ(Recalc(m_manager, font, nullptr), 0);
  const std::uint32_t expected = SumFontWords(m_manager.newImage);
  EXPECT_EQ(
      m_manager.VerifyFontFile(Write("built.otf", {m_manager.newImage.begin(), m_manager.newImage.end()}), expected),
      0);
  std::vector<std::uint8_t> copy(m_manager.newImage.begin(), m_manager.newImage.end());
  copy[copy.size() - 1] = 0;
  copy[copy.size() - 3] = 0xFF;
  EXPECT_EQ(m_manager.VerifyFontFile(Write("copy.otf", copy), expected), 0);
  copy[copy.size() - 4] ^= 0x80;
  EXPECT_EQ(m_manager.VerifyFontFile(Write("copy.otf", copy), expected), 13);
}

}  // namespace
