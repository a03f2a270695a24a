// Padded lengths, table checksums and whole-image word sums.
#include <gtest/gtest.h>

#include "font/FontWords.h"

namespace {

TEST(FontWords, AlignLength4RoundsUpToFour) {
  for (auto [length, aligned] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {0, 0}, {1, 4}, {2, 4}, {3, 4}, {4, 4}, {5, 8}, {0x7FFFFFF8, 0x7FFFFFF8}}) {
    EXPECT_EQ(AlignLength4(length), aligned) << length;
    EXPECT_EQ(AlignLength4(static_cast<std::uint32_t>(length)), static_cast<std::uint32_t>(aligned)) << length;
  }
  EXPECT_EQ(AlignLength4(0xFFFFFFFCu), 0xFFFFFFFCu);
}

TEST(FontWords, TableCheckSumCountsThePartialLastWord) {
  // Length 5: two words, the second being the fifth byte and three zeros.
  const std::vector<std::uint8_t> table = {0x01, 0x02, 0x03, 0x04, 0x05, 0, 0, 0};
  EXPECT_EQ(CalcTableCheckSum(table, 5), 0x01020304u + 0x05000000u);
  // The buffer may end at the table's end: the missing padding counts as zero.
  EXPECT_EQ(CalcTableCheckSum(std::span<const std::uint8_t>(table.data(), 5), 5), 0x06020304u);
  // Padding bytes present in the buffer are summed, as the checksum is over
  // the padded table.
  const std::vector<std::uint8_t> dirty = {0, 0, 0, 1, 0xAA, 0xBB, 0xCC, 0xDD};
  EXPECT_EQ(CalcTableCheckSum(dirty, 5), 1u + 0xAABBCCDDu);
  EXPECT_EQ(CalcTableCheckSum(dirty, 0), 0u);
  // Sums wrap modulo 2^32.
  const std::vector<std::uint8_t> high = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x02};
  EXPECT_EQ(CalcTableCheckSum(high, 8), 1u);
  // A length beyond the buffer never reads past it.
  EXPECT_EQ(CalcTableCheckSum(table, 0xFFFFFFFFu), 0x06020304u);
}

TEST(FontWords, FontWordsIgnoreTrailingBytes) {
  const std::vector<std::uint8_t> image = {0x00, 0x00, 0x00, 0x07, 0x10, 0x20, 0x30, 0x40, 0x12, 0x34, 0x56};
  EXPECT_EQ(SumFontWords(image), 0x10203047u);
  EXPECT_EQ(SumFontWords(std::span<const std::uint8_t>(image.data(), 3)), 0u);
  EXPECT_EQ(SumFontWords({}), 0u);
}

}  // namespace
