// Parsing the head table.
#include "font/HeadTable.h"

#include "font/ByteReader.h"

namespace {

bool ReadS16(CByteReader& reader, std::int16_t& value) {
  std::uint16_t raw = 0;
  if (!reader.ReadU16(raw)) return false;
  value = static_cast<std::int16_t>(raw);
  return true;
}

}  // namespace

bool CHeadInfoObject::ParseHeadTable(std::span<const std::uint8_t> table) {
  if (table.size() < kHeadTableSize) return false;
  CByteReader reader(table);
  // The size was checked once, so none of these reads can fail.
  reader.ReadU32(version);
  reader.ReadU32(fontRevision);
  reader.ReadU32(checkSumAdjustment);
  reader.ReadU32(magicNumber);
  reader.ReadU16(flags);
  reader.ReadU16(unitsPerEm);
  reader.ReadBytes(created, sizeof created);
  reader.ReadBytes(modified, sizeof modified);
  ReadS16(reader, xMin);
  ReadS16(reader, yMin);
  ReadS16(reader, xMax);
  ReadS16(reader, yMax);
  reader.ReadU16(macStyle);
  reader.ReadU16(lowestRecPPEM);
  ReadS16(reader, fontDirectionHint);
  ReadS16(reader, indexToLocFormat);
  ReadS16(reader, glyphDataFormat);
  kind = kind_code::kHeadInfo;
  return true;
}

bool CTagHeadObject::ParseHeadTable(std::span<const std::uint8_t> image) {
  const CByteReader reader(image);
  if (!reader.Contains(offset, length)) return false;
  return headInfo.ParseHeadTable(image.subspan(offset, length));
}

std::string FormatRevision(std::uint32_t fontRevision) {
  std::uint32_t whole = fontRevision >> 16;
  std::uint32_t thousandths = ((fontRevision & 0xFFFFu) * 1000u + 0x8000u) >> 16;
  if (thousandths == 1000) {
    ++whole;
    thousandths = 0;
  }
  std::string text = std::to_string(whole) + ".";
  if (thousandths < 100) text += '0';
  if (thousandths < 10) text += '0';
  return text + std::to_string(thousandths);
}
