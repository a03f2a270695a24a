// Parsing the name table and reading the font name from it.
#include "font/NameTable.h"

#include <algorithm>
#include <cstring>

#include "font/ByteReader.h"

bool CNameRecordObject::ParseNameRecord(std::span<const std::uint8_t> table, std::size_t recordOffset,
                                        std::uint16_t stringOffset) {
  kind = kind_code::kNameRecord;
  std::memset(rawBytes, 0, sizeof rawBytes);
  CByteReader reader(table);
  if (!reader.Contains(recordOffset, kNameRecordSize)) return false;
  reader.Seek(recordOffset);
  reader.ReadU16(platformID);
  reader.ReadU16(encodingID);
  reader.ReadU16(languageID);
  reader.ReadU16(nameID);
  reader.ReadU16(length);
  reader.ReadU16(offset);
  // A string outside the table or longer than the copy leaves the record
  // without text; the record itself is still read.
  const std::size_t stringStart = std::size_t{stringOffset} + offset;
  if (length <= kNameRawSize && reader.Contains(stringStart, length) && length != 0) {
    std::memcpy(rawBytes, table.data() + stringStart, length);
  }
  return true;
}

std::string CNameRecordObject::RawText() const {
  const auto* end = std::find(std::begin(rawBytes), std::end(rawBytes), std::uint8_t{0});
  return std::string(reinterpret_cast<const char*>(rawBytes), static_cast<std::size_t>(end - rawBytes));
}

bool CNameTableObject::ParseNameRecords(std::span<const std::uint8_t> table, std::size_t maxRecords) {
  kind = kind_code::kNameTableInfo;
  records.clear();
  CByteReader reader(table);
  if (!reader.ReadU16(format) || !reader.ReadU16(count) || !reader.ReadU16(stringOffset)) return false;
  for (std::size_t i = 0; i < count && i < maxRecords; ++i) {
    auto record = std::make_unique<CNameRecordObject>();
    if (!record->ParseNameRecord(table, kNameTableHeaderSize + kNameRecordSize * i, stringOffset)) return false;
    records.push_back(std::move(record));
  }
  return true;
}

bool CTagNameObject::ParseNameTable(std::span<const std::uint8_t> image, std::size_t maxRecords) {
  const CByteReader reader(image);
  if (!reader.Contains(offset, length)) return false;
  return nameTable.ParseNameRecords(image.subspan(offset, length), maxRecords);
}

bool CTagNameObject::GetFontName(std::string& name) const {
  if (nameTable.records.size() <= kFontNameRecordIndex) return false;
  const std::string text = nameTable.records[kFontNameRecordIndex]->RawText();
  if (text.empty() || text.size() >= kFontNameBufferSize) return false;
  name = text;
  return true;
}
