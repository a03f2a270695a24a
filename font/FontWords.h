// The word sums every layer shares: padded lengths, the OpenType table
// checksum and the word sum of a whole font image. All sums are unsigned
// 32-bit and wrap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// `length` rounded up to the next multiple of 4 (0 stays 0, 5 becomes 8).
// The unsigned form wraps to 0 above 0xFFFFFFFC: check a length against the
// buffer it describes before padding it.
std::int32_t AlignLength4(std::int32_t length);
std::uint32_t AlignLength4(std::uint32_t length);

// The sum of the (length + 3) / 4 big-endian words from the start of `data`:
// the table zero-padded to a multiple of 4. Bytes past the end of `data`
// count as zero, so a short buffer is never read past.
std::uint32_t CalcTableCheckSum(std::span<const std::uint8_t> data, std::uint32_t length);

// The sum of the size / 4 whole big-endian words of `image`; 1 to 3 trailing
// bytes are not counted.
std::uint32_t SumFontWords(std::span<const std::uint8_t> image);

// The font-wide sum behind head.checkSumAdjustment: every whole word, and
// 1 to 3 trailing bytes as one more word completed with zero bytes.
std::uint32_t SumFontWordsWithTail(std::span<const std::uint8_t> image);

// The value of head.checkSumAdjustment: 0xB1B0AFBA minus the font-wide sum.
constexpr std::uint32_t kCheckSumMagic = 0xB1B0AFBA;
