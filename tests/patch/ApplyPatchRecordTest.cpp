// Rebuilding one table from its record: the three forms, the padding, the
// checksum, overlapping segments, and the refusal of segments that reach
// outside a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "font/OpenTypeFont.h"
#include "patch/ApplyPatchRecord.h"
#include "tests/patch/PatchBytes.h"
#include "tests/support/FontBuilder.h"

namespace {

using test_patch::Diff;
using test_patch::Keep;
using test_patch::Record;

// The blocks the records were read from: a record's new segments point into
// its block, as into the patch the reader keeps.
std::deque<std::vector<std::uint8_t>> g_blocks;

// A record object as the reader makes it, from the fields and the block.
std::unique_ptr<CSabunTagObject> MakeRecord(const Record& r) {
  auto record = std::make_unique<CSabunTagObject>();
  std::uint8_t tag[4];
  std::memcpy(tag, r.tag.data(), 4);
  record->SetRecord(tag, r.newIndex, r.fileOrder, r.difference ? 1000 : 0, r.newLength, r.newOffset);
  if (r.difference) {
    g_blocks.push_back(test_patch::Block(r));
    EXPECT_TRUE(record->ReadDifference(g_blocks.back()));
  }
  return record;
}

// The sum of the big-endian words of `bytes`, which must be a multiple of 4 long.
std::uint32_t WordSum(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    sum += (std::uint32_t{bytes[i]} << 24) | (std::uint32_t{bytes[i + 1]} << 16) | (std::uint32_t{bytes[i + 2]} << 8) |
           bytes[i + 3];
  }
  return sum;
}

std::vector<std::uint8_t> Counting(std::size_t size, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

class ApplyPatchRecordTest : public ::testing::Test {
 protected:
  // head (54 bytes), maxp (6), name (odd length, the last table).
  void SetUp() override {
    m_head = Counting(54, 0x40);
    m_name = Counting(23, 0x90);
    m_image = test_support::BuildFont({{"head", m_head}, {"maxp", {0, 0, 0x50, 0, 0x12, 0x34}}, {"name", m_name}});
    ASSERT_EQ(m_font.ReadFontImage(m_image, "Font.otf", nullptr, nullptr, 1, 0), 0);
  }
  CTagObject& Table(const char* tag) { return *m_font.FindTagObject(tag); }

  std::vector<std::uint8_t> m_head, m_name, m_image;
  COpenTypeFont m_font;
};

TEST_F(ApplyPatchRecordTest, TheHeadDifferenceOfTheMakersPatches) {
  // Old 12..23 and 36..53 kept in place, 0..11 and 24..35 carried.
  const std::vector<std::uint8_t> first = {0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x41, 0x88, 0x93, 0x72, 0x5A};
  const std::vector<std::uint8_t> second = {0xDF, 0x3D, 0x95, 0x10, 0, 0, 0, 0, 0xDF, 0x3D, 0x95, 0x10};
  const auto record = MakeRecord(Diff("head", 7, 0, 54, 220, {{12, 12, 12}, {36, 18, 36}}, {{0, first}, {24, second}}));
  CTagObject& head = Table("head");
  ASSERT_EQ(ApplyPatchRecord(head, *record), 1);

  std::vector<std::uint8_t> expected = first;
  expected.insert(expected.end(), m_head.begin() + 12, m_head.begin() + 24);
  expected.insert(expected.end(), second.begin(), second.end());
  expected.insert(expected.end(), m_head.begin() + 36, m_head.end());
  expected.insert(expected.end(), {0, 0});  // up to 56
  expected.push_back(0);                    // and one more
  EXPECT_EQ(head.newData, expected);
  EXPECT_EQ(head.newData.size(), 57u);
  EXPECT_EQ(head.newLength, 54u);
  EXPECT_EQ(head.newOffset, 220u);
  EXPECT_EQ(head.directorySlot, 7);
  EXPECT_EQ(head.dataOrder, 0);
  EXPECT_EQ(head.paddedLength, 56u);
  EXPECT_EQ(std::memcmp(head.newTag, "head", 4), 0);
  expected.pop_back();
  EXPECT_EQ(head.newCheckSum, WordSum(expected));
}

TEST_F(ApplyPatchRecordTest, MaxpReplacedWhole) {
  const auto record = MakeRecord(Diff("maxp", 9, 2, 6, 296, {}, {{0, {0x00, 0x00, 0x50, 0x00, 0x03, 0xF1}}}));
  CTagObject& maxp = Table("maxp");
  ASSERT_EQ(ApplyPatchRecord(maxp, *record), 1);
  EXPECT_EQ(maxp.newData, (std::vector<std::uint8_t>{0x00, 0x00, 0x50, 0x00, 0x03, 0xF1, 0x00, 0x00, 0x00}));
  EXPECT_EQ(maxp.paddedLength, 8u);
  EXPECT_EQ(maxp.newLength, 6u);
  EXPECT_EQ(maxp.newOffset, 296u);
  EXPECT_EQ(maxp.directorySlot, 9);
  EXPECT_EQ(maxp.dataOrder, 2);
  EXPECT_EQ(maxp.newCheckSum, 0x00005000u + 0x03F10000u);
}

TEST_F(ApplyPatchRecordTest, KeepTakesTheInstalledTableWhateverTheRecordsLength) {
  // The last table of the file has 23 bytes and no padding in the file: the
  // missing byte stands as zero.
  ASSERT_EQ(m_image.size() % 4, 0u);
  std::vector<std::uint8_t> unpadded = m_image;
  unpadded.pop_back();
  COpenTypeFont font;
  ASSERT_EQ(font.ReadFontImage(unpadded, "Font.otf", nullptr, nullptr, 1, 0), 0);
  CTagObject& name = *font.FindTagObject("name");
  const auto record = MakeRecord(Keep("name", 2, 1, 999, 64));
  ASSERT_EQ(ApplyPatchRecord(name, *record), 1);
  std::vector<std::uint8_t> expected = m_name;
  expected.resize(25, 0);
  EXPECT_EQ(name.newData, expected);
  EXPECT_EQ(name.newLength, 23u);  // the installed length, not the record's
  EXPECT_EQ(name.newOffset, 64u);
  EXPECT_EQ(name.directorySlot, 2);
  EXPECT_EQ(name.dataOrder, 1);
  expected.pop_back();
  EXPECT_EQ(name.newCheckSum, WordSum(expected));
  EXPECT_EQ(name.newCheckSum, name.checkSum);  // as the font was built
}

TEST_F(ApplyPatchRecordTest, KeepGivesZeroPaddingWhateverFollowsTheTableInTheFile) {
  // Bytes after head up to the next multiple of 4 are not zero in this file;
  // the new file has zeros there, and the checksum must say so.
  std::vector<std::uint8_t> image = m_image;
  CTagObject& original = Table("head");
  image[original.offset + 54] = 0xAB;
  image[original.offset + 55] = 0xCD;
  COpenTypeFont font;
  ASSERT_EQ(font.ReadFontImage(image, "Font.otf", nullptr, nullptr, 1, 0), 0);
  CTagObject& head = *font.FindTagObject("head");
  ASSERT_EQ(ApplyPatchRecord(head, *MakeRecord(Keep("head", 0, 0, 54, 28))), 1);
  std::vector<std::uint8_t> expected = m_head;
  expected.resize(57, 0);
  EXPECT_EQ(head.newData, expected);
  expected.pop_back();
  EXPECT_EQ(head.newCheckSum, WordSum(expected));
}

TEST_F(ApplyPatchRecordTest, SegmentsMayMoveRangesAndOverlap) {
  // Moved ranges, an old range copied twice, a later old copy over an
  // earlier one (the first copy is overwritten whole), carried bytes over
  // old ones, and bytes nothing covers: the overlaps give as many bytes as
  // the gaps take, so the table is no longer than its segments.
  const auto record = MakeRecord({"name",
                                  3,
                                  4,
                                  31,
                                  100,
                                  true,
                                  {{0, 2, 20}, {10, 8, 0}, {0, 10, 20}, {0, 4, 4}, {20, 3, 28}},
                                  {{2, {0xE0, 0xE1, 0xE2, 0xE3}}, {29, {0xF0}}}});
  CTagObject& name = Table("name");
  ASSERT_EQ(ApplyPatchRecord(name, *record), 1);
  std::vector<std::uint8_t> expected(33, 0);
  for (int i = 0; i < 8; ++i) expected[i] = m_name[10 + i];
  for (int i = 0; i < 10; ++i) expected[20 + i] = m_name[i];
  for (int i = 0; i < 4; ++i) expected[4 + i] = m_name[i];        // over the first copy
  for (int i = 0; i < 3; ++i) expected[28 + i] = m_name[20 + i];  // over the second
  for (int i = 0; i < 4; ++i) expected[2 + i] = static_cast<std::uint8_t>(0xE0 + i);
  expected[29] = 0xF0;
  EXPECT_EQ(name.newData, expected);  // 18, 19 and the padding stay zero
  EXPECT_EQ(name.newLength, 31u);
  expected.pop_back();
  const std::uint32_t sum = WordSum(expected);
  EXPECT_EQ(name.newCheckSum, sum);
  // Written into an image that holds other bytes, as a reused one does: the
  // same 31 bytes at the new offset, 18 and 19 zeroed, nothing else touched.
  std::vector<std::uint8_t> image(140, 0xEE);
  ASSERT_EQ(ApplyPatchRecordInto(name, *record, image), 1);
  expected.resize(31);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.begin() + 100));
  EXPECT_EQ(std::count(image.begin(), image.end(), 0xEE), 140 - 31);
  EXPECT_EQ(name.newCheckSum, sum);
}

TEST_F(ApplyPatchRecordTest, ABlockWithoutSegmentsGivesNoBytes) {
  CTagObject& head = Table("head");
  ASSERT_EQ(ApplyPatchRecord(head, *MakeRecord(Diff("head", 0, 0, 0, 28))), 1);
  EXPECT_EQ(head.newData, std::vector<std::uint8_t>(1, 0));
  EXPECT_EQ(head.newLength, 0u);
  EXPECT_EQ(head.newCheckSum, 0u);
  // A length it declares would be zeros neither the font nor the patch
  // holds (a hostile patch declared 1.9 GB of them): refused.
  EXPECT_EQ(ApplyPatchRecord(head, *MakeRecord(Diff("head", 0, 0, 10, 28))), 0);
  EXPECT_TRUE(head.newData.empty());
  EXPECT_EQ(ApplyPatchRecord(head, *MakeRecord(Diff("head", 0, 0, 0xFFFFFFF0u, 28))), 0);
}

TEST_F(ApplyPatchRecordTest, ASecondCallStartsFromNothing) {
  CTagObject& head = Table("head");
  const auto difference = MakeRecord(Diff("head", 5, 6, 8, 40, {{0, 8, 0}}, {}));
  ASSERT_EQ(ApplyPatchRecord(head, *difference), 1);
  const std::vector<std::uint8_t> first = head.newData;
  const std::uint32_t sum = head.newCheckSum;
  ASSERT_EQ(ApplyPatchRecord(head, *difference), 1);
  EXPECT_EQ(head.newData, first);
  EXPECT_EQ(head.newCheckSum, sum);
  // A refused record leaves nothing of the earlier result.
  const auto bad = MakeRecord(Diff("head", 5, 6, 8, 40, {{0, 8, 1}}, {}));
  EXPECT_EQ(ApplyPatchRecord(head, *bad), 0);
  EXPECT_TRUE(head.newData.empty());
  EXPECT_EQ(head.newLength, 0u);
  EXPECT_EQ(head.newCheckSum, 0u);
  EXPECT_EQ(head.newOffset, 0u);
}

TEST_F(ApplyPatchRecordTest, RefusesSegmentsReachingOutsideATable) {
  // head: 54 bytes, padded 56 (the file holds the padding); name: 23 bytes,
  // the last table, padded 24.
  struct Case {
    const char* tag;
    Record record;
    int result;
  };
  const std::vector<Case> cases = {
      {"head", Diff("head", 0, 0, 56, 28, {{0, 56, 0}}, {}), 1},  // the whole padded table
      {"head", Diff("head", 0, 0, 60, 28, {{0, 57, 0}}, {}), 0},  // one past it
      {"head", Diff("head", 0, 0, 60, 28, {{56, 1, 0}}, {}), 0},
      {"head", Diff("head", 0, 0, 60, 28, {{0xFFFFFFFF, 2, 0}}, {}), 0},  // would wrap
      {"head", Diff("head", 0, 0, 8, 28, {{0, 8, 0}}, {}), 1},            // the whole new table
      {"head", Diff("head", 0, 0, 7, 28, {{0, 8, 0}}, {}), 1},            // into its padding
      {"head", Diff("head", 0, 0, 8, 28, {{0, 9, 0}}, {}), 0},            // past it
      {"head", Diff("head", 0, 0, 8, 28, {{0, 4, 5}}, {}), 0},
      {"head", Diff("head", 0, 0, 8, 28, {{0, 1, 0xFFFFFFFF}}, {}), 0},
      {"head", Diff("head", 0, 0, 8, 28, {}, {{5, {1, 2, 3, 4}}}), 0},
      {"head", Diff("head", 0, 0, 8, 28, {}, {{0xFFFFFFFE, {1, 2, 3}}}), 0},
      {"head", Diff("head", 0, 0, 8, 28, {{0, 4, 0}}, {{4, {1, 2, 3, 4}}}), 1},
      {"head", Diff("head", 0, 0, 8, 28, {}, {{4, {1, 2, 3, 4}}}), 0},  // four bytes nothing gives
      {"head", Diff("head", 0, 0, 0xFFFFFFFF, 28, {}, {}), 0},          // cannot be padded
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    CTagObject& table = Table(cases[i].tag);
    EXPECT_EQ(ApplyPatchRecord(table, *MakeRecord(cases[i].record)), cases[i].result) << "case " << i;
  }

  // The last table's padding is not in a file that ends with the table: an
  // old segment reaching into it is refused.
  std::vector<std::uint8_t> unpadded = m_image;
  unpadded.pop_back();
  COpenTypeFont font;
  ASSERT_EQ(font.ReadFontImage(unpadded, "Font.otf", nullptr, nullptr, 1, 0), 0);
  CTagObject& name = *font.FindTagObject("name");
  EXPECT_EQ(ApplyPatchRecord(name, *MakeRecord(Diff("name", 0, 0, 23, 28, {{0, 23, 0}}, {}))), 1);
  EXPECT_EQ(ApplyPatchRecord(name, *MakeRecord(Diff("name", 0, 0, 24, 28, {{0, 24, 0}}, {}))), 0);
  EXPECT_EQ(ApplyPatchRecord(Table("name"), *MakeRecord(Diff("name", 0, 0, 24, 28, {{0, 24, 0}}, {}))), 1);
}

}  // namespace
