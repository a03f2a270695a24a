// The offset table at the start of a font file.
#pragma once

#include <cstdint>
#include <span>

#include "font/OpenTypeObject.h"

class COpenTypeFont;

constexpr std::uint32_t kSfntVersionOtto = 0x4F54544F;  // 'OTTO'
constexpr std::size_t kOffsetTableSize = 12;
constexpr std::size_t kDirectoryEntrySize = 16;

class COpenTypeHeader : public COpenTypeObject {
 public:
  // Reads the offset table at the start of `image`; true for an 'OTTO' font
  // whose 12 bytes are all there.
  bool ParseOffsetTable(std::span<const std::uint8_t> image);

  std::int32_t fontKind = -1;  // 2 once the file is recognised as 'OTTO'
  COpenTypeFont* owner = nullptr;
  std::uint32_t sfntVersion = 0;
  std::uint16_t numTables = 0;
  std::uint16_t searchRange = 0;
  std::uint16_t entrySelector = 0;
  std::uint16_t rangeShift = 0;
};

// The offset table of a font with `numTables` tables, its search fields
// computed as OpenType defines them (searchRange the largest power of two not
// above numTables, times 16; entrySelector its log2; rangeShift the rest).
COpenTypeHeader OffsetTableFor(std::uint32_t sfntVersion, std::size_t numTables);
