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

bool ReadWindowsEnglishName(std::span<const std::uint8_t> table, std::uint16_t nameID, std::string& name) {
  constexpr std::uint16_t kWindows = 3, kUnicodeBmp = 1, kUnicodeFull = 10, kEnglishUs = 0x409;
  CByteReader reader(table);
  std::uint16_t format = 0, count = 0, stringOffset = 0;
  if (!reader.ReadU16(format) || !reader.ReadU16(count) || !reader.ReadU16(stringOffset)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint16_t platformID = 0, encodingID = 0, languageID = 0, id = 0, length = 0, offset = 0;
    if (!reader.Seek(kNameTableHeaderSize + kNameRecordSize * i) || !reader.ReadU16(platformID) ||
        !reader.ReadU16(encodingID) || !reader.ReadU16(languageID) || !reader.ReadU16(id) || !reader.ReadU16(length) ||
        !reader.ReadU16(offset)) {
      return false;  // the records end with the table
    }
    if (platformID != kWindows || (encodingID != kUnicodeBmp && encodingID != kUnicodeFull) ||
        languageID != kEnglishUs || id != nameID) {
      continue;
    }
    const std::size_t start = std::size_t{stringOffset} + offset;
    if (!reader.Contains(start, length)) continue;
    // The first such record decides: its text is the name or there is none.
    if (length == 0 || length % 2 != 0 || length / 2 > kWindowsFontNameLength) return false;
    std::string text;
    for (std::size_t at = start; at < start + length; at += 2) {
      if (table[at] != 0 || table[at + 1] < 0x20 || table[at + 1] > 0x7E) return false;
      text.push_back(static_cast<char>(table[at + 1]));
    }
    name = text;
    return true;
  }
  return false;
}

FontNameRule CTagNameObject::FindFontName(std::span<const std::uint8_t> image, std::string& name) const {
  if (GetFontName(name)) return FontNameRule::kFifthRecord;
  const CByteReader reader(image);
  if (!reader.Contains(offset, length)) return FontNameRule::kNone;
  const std::span<const std::uint8_t> table = image.subspan(offset, length);
  if (ReadWindowsEnglishName(table, 4, name)) return FontNameRule::kWindowsFullName;
  if (ReadWindowsEnglishName(table, 6, name)) return FontNameRule::kPostScriptName;
  return FontNameRule::kNone;
}
