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

COpenTypeHeader OffsetTableFor(std::uint32_t sfntVersion, std::size_t numTables) {
  COpenTypeHeader header;
  header.kind = kind_code::kHeader;
  header.fontKind = 2;
  header.sfntVersion = sfntVersion;
  header.numTables = static_cast<std::uint16_t>(numTables);
  std::uint16_t power = 1;
  std::uint16_t log2 = 0;
  while (numTables > 0 && std::size_t{power} * 2 <= numTables && power < 0x4000) {
    power = static_cast<std::uint16_t>(power * 2);
    ++log2;
  }
  header.searchRange = numTables == 0 ? 0 : static_cast<std::uint16_t>(power * 16);
  header.entrySelector = log2;
  header.rangeShift = static_cast<std::uint16_t>(numTables * 16 - header.searchRange);
  return header;
}
