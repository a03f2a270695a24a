// The small fixed font the fuzz targets revise: CFF , head, maxp and name,
// laid out as shipped fonts are (directory in tag order, tables back to back
// on multiples of 4, correct checksums), named "Demo".
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "font/BigEndian.h"
#include "font/FontWords.h"

namespace fuzz_font {

inline void Append(std::vector<std::uint8_t>& font, std::vector<std::uint8_t>& directory, const char* tag,
                   const std::vector<std::uint8_t>& data) {
  const std::size_t entry = directory.size();
  directory.resize(entry + 16);
  std::memcpy(directory.data() + entry, tag, 4);
  StoreU32(directory.data() + entry + 4, CalcTableCheckSum(data, static_cast<std::uint32_t>(data.size())));
  StoreU32(directory.data() + entry + 8, static_cast<std::uint32_t>(font.size()));
  StoreU32(directory.data() + entry + 12, static_cast<std::uint32_t>(data.size()));
  font.insert(font.end(), data.begin(), data.end());
  font.resize(AlignLength4(static_cast<std::uint32_t>(font.size())), 0);
}

inline std::vector<std::uint8_t> SmallFont(const std::vector<std::uint8_t>& cff, std::uint32_t revision) {
  std::vector<std::uint8_t> head(54, 0);
  StoreU32(head.data(), 0x00010000);
  StoreU32(head.data() + 4, revision);
  std::vector<std::uint8_t> name(6 + 5 * 12, 0);
  StoreU16(name.data() + 2, 5);
  StoreU16(name.data() + 4, static_cast<std::uint16_t>(name.size()));
  for (int i = 0; i < 5; ++i) {
    StoreU16(name.data() + 6 + 12 * i, 1);
    StoreU16(name.data() + 6 + 12 * i + 8, 4);
  }
  name.insert(name.end(), {'D', 'e', 'm', 'o'});
  const std::vector<std::uint8_t> maxp = {0, 0, 0x50, 0, 0, 3};
  std::vector<std::uint8_t> font(12 + 4 * 16, 0);
  std::vector<std::uint8_t> directory;
  StoreU32(font.data(), 0x4F54544F);
  StoreU16(font.data() + 4, 4);
  StoreU16(font.data() + 6, 64);
  StoreU16(font.data() + 8, 2);
  StoreU16(font.data() + 10, 0);
  Append(font, directory, "CFF ", cff);
  Append(font, directory, "head", head);
  Append(font, directory, "maxp", maxp);
  Append(font, directory, "name", name);
  std::memcpy(font.data() + 12, directory.data(), directory.size());
  // checkSumAdjustment, written last over the whole font.
  const std::uint32_t headOffset = LoadU32(font.data() + 12 + 16 + 8);
  StoreU32(font.data() + headOffset + 8, kCheckSumMagic - SumFontWordsWithTail(font));
  return font;
}

// `font` (as SmallFont makes it) with one more table, `tag` (any four bytes)
// holding `data`, after the others in the directory and in the file. The
// search fields of the offset table are left as they were.
inline std::vector<std::uint8_t> WithTable(const std::vector<std::uint8_t>& font, const std::uint8_t* tag,
                                           const std::vector<std::uint8_t>& data) {
  const std::size_t count = LoadU16(font.data() + 4);
  const std::size_t oldDirectoryEnd = 12 + 16 * count;
  std::vector<std::uint8_t> out(font.begin(), font.begin() + static_cast<std::ptrdiff_t>(oldDirectoryEnd));
  out.resize(oldDirectoryEnd + 16, 0);
  out.insert(out.end(), font.begin() + static_cast<std::ptrdiff_t>(oldDirectoryEnd), font.end());
  StoreU16(out.data() + 4, static_cast<std::uint16_t>(count + 1));
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* entry = out.data() + 12 + 16 * i;
    StoreU32(entry + 8, LoadU32(entry + 8) + 16);
  }
  std::uint8_t* entry = out.data() + oldDirectoryEnd;
  std::memcpy(entry, tag, 4);
  StoreU32(entry + 4, CalcTableCheckSum(data, static_cast<std::uint32_t>(data.size())));
  StoreU32(entry + 8, static_cast<std::uint32_t>(out.size()));
  StoreU32(entry + 12, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  out.resize(AlignLength4(static_cast<std::uint32_t>(out.size())), 0);
  return out;
}

}  // namespace fuzz_font
