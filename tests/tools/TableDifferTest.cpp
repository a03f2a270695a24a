// The table differ: what it finds, what it leaves to carried bytes, and that
// every difference rebuilds the revised table exactly.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "font/OpenTypeFont.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"
#include "tools/authoring/TableDiffer.h"

namespace {

using authoring::CTableDiffer;
using authoring::TableDifference;
using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t size, std::uint32_t seed, int alphabet = 256) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % static_cast<unsigned>(alphabet));
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t length) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
}

// The revised table as the updater assembles it from the installed table and
// the difference.
Bytes Rebuild(const Bytes& oldTable, const Bytes& newTable, const TableDifference& difference) {
  Bytes rebuilt(newTable.size(), 0);
  for (const auto& segment : difference.oldSegments) {
    std::memcpy(rebuilt.data() + segment.dstOffset, oldTable.data() + segment.srcOffset, segment.length);
  }
  for (const auto& segment : difference.newSegments) {
    std::memcpy(rebuilt.data() + segment.dstOffset, newTable.data() + segment.dstOffset, segment.length);
  }
  return rebuilt;
}

TableDifference DiffChecked(const Bytes& oldTable, const Bytes& newTable) {
  CTableDiffer differ;
  EXPECT_TRUE(differ.Index(oldTable));
  TableDifference difference = differ.Diff(newTable);
  EXPECT_TRUE(authoring::IsCompleteCover(difference, static_cast<std::uint32_t>(oldTable.size()),
                                         static_cast<std::uint32_t>(newTable.size())));
  EXPECT_EQ(Rebuild(oldTable, newTable, difference), newTable);
  // Never dearer than carrying the whole table.
  EXPECT_LE(difference.BlockSize(), authoring::ReplaceWhole(static_cast<std::uint32_t>(newTable.size())).BlockSize());
  return difference;
}

TEST(TableDiffer, IdenticalTableIsOneOldSegment) {
  const Bytes table = RandomBytes(5000, 1);
  const TableDifference difference = DiffChecked(table, table);
  ASSERT_EQ(difference.oldSegments.size(), 1u);
  EXPECT_EQ(difference.oldSegments[0].srcOffset, 0u);
  EXPECT_EQ(difference.oldSegments[0].length, 5000u);
  EXPECT_TRUE(difference.newSegments.empty());
  EXPECT_EQ(difference.BlockSize(), 4u + 12u + 4u);
}

TEST(TableDiffer, FindsMovedRanges) {
  const Bytes a = RandomBytes(1000, 2);
  const Bytes b = RandomBytes(1500, 3);
  const Bytes c = RandomBytes(700, 4);
  const TableDifference difference = DiffChecked(Concat({a, b, c}), Concat({c, a, b}));
  ASSERT_EQ(difference.oldSegments.size(), 2u);  // c, then a and b in one piece
  EXPECT_EQ(difference.oldSegments[0].srcOffset, 2500u);
  EXPECT_EQ(difference.oldSegments[0].dstOffset, 0u);
  EXPECT_EQ(difference.oldSegments[1].srcOffset, 0u);
  EXPECT_EQ(difference.oldSegments[1].dstOffset, 700u);
  EXPECT_EQ(difference.oldSegments[1].length, 2500u);
  EXPECT_TRUE(difference.newSegments.empty());
}

TEST(TableDiffer, CarriesInsertedBytesBetweenOldRanges) {
  const Bytes old = RandomBytes(1000, 5);
  const Bytes inserted = RandomBytes(40, 6);
  const TableDifference difference = DiffChecked(old, Concat({Slice(old, 0, 400), inserted, Slice(old, 400, 600)}));
  ASSERT_EQ(difference.oldSegments.size(), 2u);
  ASSERT_EQ(difference.newSegments.size(), 1u);
  EXPECT_EQ(difference.newSegments[0].dstOffset, 400u);
  EXPECT_EQ(difference.newSegments[0].length, 40u);
  EXPECT_EQ(difference.oldSegments[1].srcOffset, 400u);
  EXPECT_EQ(difference.oldSegments[1].dstOffset, 440u);
}

TEST(TableDiffer, KeepsOnlyMatchesWorthTheirSegment) {
  const Bytes old = RandomBytes(4000, 7);
  const Bytes before = RandomBytes(300, 8);
  const Bytes after = RandomBytes(300, 9);
  // Inside carried bytes a match pays when it is longer than an old segment
  // and the new segment header that resumes the carried bytes: 20 bytes.
  const TableDifference worth = DiffChecked(old, Concat({before, Slice(old, 1000, 21), after}));
  ASSERT_EQ(worth.oldSegments.size(), 1u);
  EXPECT_EQ(worth.oldSegments[0].length, 21u);
  EXPECT_EQ(worth.newSegments.size(), 2u);
  const TableDifference notWorth = DiffChecked(old, Concat({before, Slice(old, 1000, 19), after}));
  EXPECT_TRUE(notWorth.oldSegments.empty());
  EXPECT_EQ(notWorth.newSegments.size(), 1u);
  // At the end of the table no run has to resume: 13 bytes pay, 12 do not.
  EXPECT_EQ(DiffChecked(old, Concat({before, Slice(old, 2000, 13)})).oldSegments.size(), 1u);
  EXPECT_TRUE(DiffChecked(old, Concat({before, Slice(old, 2000, 11)})).oldSegments.empty());
  // Between two old ranges even a short one beats a new segment: 5 bytes
  // cost 12 as an old segment and 13 carried.
  const Bytes island = Concat({Slice(old, 0, 100), Slice(old, 3000, 5), Slice(old, 500, 100)});
  EXPECT_TRUE(DiffChecked(old, island).newSegments.empty());
}

TEST(TableDiffer, UnrelatedTableIsCarriedWhole) {
  const TableDifference difference = DiffChecked(RandomBytes(3000, 10), RandomBytes(2000, 11));
  EXPECT_TRUE(difference.oldSegments.empty());
  ASSERT_EQ(difference.newSegments.size(), 1u);
  EXPECT_EQ(difference.newSegments[0].length, 2000u);
}

TEST(TableDiffer, EmptyTables) {
  EXPECT_EQ(DiffChecked(RandomBytes(100, 12), {}).BlockSize(), 8u);
  const TableDifference fromNothing = DiffChecked({}, RandomBytes(50, 13));
  EXPECT_TRUE(fromNothing.oldSegments.empty());
  EXPECT_EQ(fromNothing.CarriedBytes(), 50u);
  EXPECT_TRUE(authoring::ReplaceWhole(0).newSegments.empty());
}

TEST(TableDiffer, LongestMatchAgreesWithBruteForce) {
  // A three-letter alphabet makes many long, overlapping matches.
  const Bytes old = RandomBytes(400, 14, 3);
  const Bytes probe = RandomBytes(400, 15, 3);
  CTableDiffer differ;
  ASSERT_TRUE(differ.Index(old));
  for (std::size_t i = 0; i < probe.size(); ++i) {
    std::size_t best = 0;
    for (std::size_t s = 0; s < old.size(); ++s) {
      std::size_t k = 0;
      while (i + k < probe.size() && s + k < old.size() && probe[i + k] == old[s + k]) ++k;
      best = std::max(best, k);
    }
    std::uint32_t src = 0;
    const std::size_t found = differ.LongestMatch(std::span(probe).subspan(i), src);
    if (best < 2) continue;  // runs of one byte are not reported
    ASSERT_EQ(found, best) << "at " << i;
    EXPECT_EQ(std::memcmp(old.data() + src, probe.data() + i, found), 0);
  }
}

TEST(TableDiffer, RandomEditsRebuildExactly) {
  std::mt19937 random(16);
  for (int round = 0; round < 30; ++round) {
    const Bytes old = RandomBytes(2000 + random() % 3000, random(), round % 2 ? 256 : 4);
    Bytes edited = old;
    for (int edit = 0; edit < 12; ++edit) {
      const std::size_t at = random() % edited.size();
      switch (random() % 3) {
        case 0:
          edited[at] ^= 0x5A;
          break;
        case 1:
          edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(random()));
          break;
        default:
          edited.erase(edited.begin() + static_cast<std::ptrdiff_t>(at));
          break;
      }
    }
    DiffChecked(old, edited);
  }
}

TEST(TableDiffer, CoverCheckRefusesGapsOverlapsAndOutsideRanges) {
  TableDifference difference;
  difference.oldSegments = {{0, 10, 0}, {20, 10, 20}};
  difference.newSegments = {{10, 10}};
  EXPECT_TRUE(authoring::IsCompleteCover(difference, 30, 30));
  EXPECT_FALSE(authoring::IsCompleteCover(difference, 29, 30));  // an old range past the installed table
  EXPECT_FALSE(authoring::IsCompleteCover(difference, 30, 31));  // the last byte uncovered
  difference.newSegments = {{10, 11}};
  EXPECT_FALSE(authoring::IsCompleteCover(difference, 30, 30));  // overlap
  difference.newSegments = {{10, 10}};
  std::swap(difference.oldSegments[0], difference.oldSegments[1]);
  EXPECT_FALSE(authoring::IsCompleteCover(difference, 30, 30));  // not ascending
}

// Two real tables: the GSUB of the Japanese and of the Korean face of Noto
// Sans CJK share most lookups at other offsets.
TEST(TableDiffer, RealGsubTables) {
  const std::string ttc = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
  if (!test_support::HostFileExists(ttc)) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const Bytes collection = test_support::ReadBytes(test_support::HostPath(ttc));
  Bytes tables[2];
  for (std::uint32_t face = 0; face < 2; ++face) {
    COpenTypeFont font;
    ASSERT_EQ(
        font.ReadFontImage(test_support::ExtractCollectionFace(collection, face), "face.otf", nullptr, nullptr, 1, 0),
        0);
    const CTagObject* gsub = font.FindTagObject("GSUB");
    ASSERT_NE(gsub, nullptr);
    tables[face].assign(gsub->data, gsub->data + gsub->length);
  }
  const TableDifference difference = DiffChecked(tables[0], tables[1]);
  EXPECT_GT(difference.oldSegments.size(), 10u);
  EXPECT_LT(difference.BlockSize(), tables[1].size() / 2);
}

}  // namespace
