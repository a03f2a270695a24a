// Reading the offset table.
#include "font/OpenTypeHeader.h"

#include "font/ByteReader.h"

bool COpenTypeHeader::ParseOffsetTable(std::span<const std::uint8_t> image) {
  CByteReader reader(image);
  std::uint32_t version = 0;
  if (!reader.ReadU32(version) || version != kSfntVersionOtto || reader.Size() < kOffsetTableSize) {
    kind = kind_code::kHeader;
    return false;
  }
  fontKind = 2;
  sfntVersion = version;
  reader.ReadU16(numTables);
  reader.ReadU16(searchRange);
  reader.ReadU16(entrySelector);
  reader.ReadU16(rangeShift);
  kind = kind_code::kHeader;
  return true;
}
