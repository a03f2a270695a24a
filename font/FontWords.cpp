// Padded lengths, table checksums and whole-font word sums.
#include "font/FontWords.h"

#include "font/BigEndian.h"

std::int32_t AlignLength4(std::int32_t length) {
  if (length % 4 != 0) return (length / 4 + 1) * 4;
  return length;
}

std::uint32_t AlignLength4(std::uint32_t length) { return (length + 3u) & ~std::uint32_t{3}; }

std::uint32_t CalcTableCheckSum(std::span<const std::uint8_t> data, std::uint32_t length) {
  // 64 bits, so that a length near 4 GiB cannot wrap where size_t has 32.
  const std::uint64_t words = (std::uint64_t{length} + 3) / 4;
  const std::size_t whole = data.size() / 4;
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i < words && i < whole; ++i) sum += LoadU32(data.data() + 4 * i);
  if (i < words && 4 * i < data.size()) {
    // The last word lies partly past the buffer: its missing bytes are zero.
    std::uint8_t last[4] = {0, 0, 0, 0};
    for (std::size_t k = 0; 4 * i + k < data.size() && k < 4; ++k) last[k] = data[4 * i + k];
    sum += LoadU32(last);
  }
  return sum;
}

std::uint32_t SumFontWords(std::span<const std::uint8_t> image) {
  std::uint32_t sum = 0;
  const std::size_t words = image.size() / 4;
  const std::uint8_t* p = image.data();
  for (std::size_t i = 0; i < words; ++i, p += 4) sum += LoadU32(p);
  return sum;
}

std::uint32_t SumFontWordsWithTail(std::span<const std::uint8_t> image) {
  std::uint32_t sum = SumFontWords(image);
  const std::size_t tail = image.size() % 4;
  if (tail != 0) {
    std::uint8_t last[4] = {0, 0, 0, 0};
    for (std::size_t k = 0; k < tail; ++k) last[k] = image[image.size() - tail + k];
    sum += LoadU32(last);
  }
  return sum;
}
