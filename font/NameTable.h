// The `name` table: its header, its records and the font name by which the
// search recognises an installed font (the fifth record's bytes; for a font
// whose fifth record gives none, its Windows English full name or PostScript
// name).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "font/OpenTypeObject.h"
#include "font/TagObject.h"

constexpr std::size_t kNameTableHeaderSize = 6;
constexpr std::size_t kNameRecordSize = 12;
// The raw copy of one record's string.
constexpr std::size_t kNameRawSize = 260;
// The buffers a font name travels in: at most 254 bytes and a terminator.
constexpr std::size_t kFontNameBufferSize = 255;
// The record whose text is the font name: the fifth, by position.
constexpr std::size_t kFontNameRecordIndex = 4;
// The longest Windows name taken as a font name: what a patch header holds.
constexpr std::size_t kWindowsFontNameLength = 63;

// Which part of the one rule for a font's name gave it.
enum class FontNameRule {
  kNone,             // no name
  kFifthRecord,      // the fifth record as a single-byte string
  kWindowsFullName,  // platform 3, encoding 1 or 10, language 0x409, name ID 4
  kPostScriptName,   // the same record with name ID 6
};

// The Windows English name `nameID` of the name table `table` (its bytes):
// the first record of platform 3, encoding 1 or 10, language 0x409 with that
// ID whose string lies inside the table, decoded from UTF-16BE. False when
// there is none, or when it is empty, not all printable ASCII (0x20 to 0x7E)
// or longer than kWindowsFontNameLength characters. Reads only the table's
// header and records, allocating nothing per record.
bool ReadWindowsEnglishName(std::span<const std::uint8_t> table, std::uint16_t nameID, std::string& name);

// One name record and a copy of its string as stored (no conversion). Only
// the raw copy is kept: the ANSI and UTF-16 forms of a record are never
// filled, so this object has no room for them.
class CNameRecordObject : public COpenTypeObject {
 public:
  // Reads the record at `recordOffset` of `table` and copies its string from
  // `stringOffset` + the record's offset. The record's 12 bytes must lie
  // inside the table (false otherwise, nothing read). A string that does not
  // lie inside the table, or is longer than the raw buffer, is refused: the
  // record keeps its fields but its raw copy stays all zero, so it yields no
  // text. A long string is refused rather than cut, because a cut string is
  // a different name.
  bool ParseNameRecord(std::span<const std::uint8_t> table, std::size_t recordOffset, std::uint16_t stringOffset);

  // The raw copy up to its first zero byte (at most kNameRawSize bytes).
  std::string RawText() const;

  std::int32_t textKind = 2;  // 0 ANSI, 1 UTF-16, 2 raw bytes: always raw here
  std::uint16_t platformID = 0;
  std::uint16_t encodingID = 0;
  std::uint16_t languageID = 0;
  std::uint16_t nameID = 0;
  std::uint16_t length = 0;
  std::uint16_t offset = 0;
  std::uint8_t rawBytes[kNameRawSize] = {};
};

// The parsed table: its header and its records in table order. Only the
// fields below are used of what it inherits.
class CNameTableObject : public CTagObject {
 public:
  // Reads the header and the records of `table`. Records are read in order
  // while their 12 bytes lie inside the table; the first one that does not
  // ends the list (every later one lies further out), and the result is then
  // false. False too when the 6-byte header is not there. At most
  // `maxRecords` records are read.
  bool ParseNameRecords(std::span<const std::uint8_t> table, std::size_t maxRecords = SIZE_MAX);

  std::uint16_t format = 0;
  std::uint16_t count = 0;
  std::uint16_t stringOffset = 0;
  std::vector<std::unique_ptr<CNameRecordObject>> records;  // table order; owns
};

// The `name` table of a font, parsed for one question and then deleted.
class CTagNameObject : public CTagObject {
 public:
  // Parses the table that the directory fields point at, in place: the
  // table must lie inside `image` (false otherwise, nothing read), and reads
  // stay inside its `length`. False also when the records were cut short;
  // those read before stay in `nameTable`. At most `maxRecords` records are
  // read: the font name needs five, and a crafted font may hold thousands of
  // name entries each with tens of thousands of records.
  bool ParseNameTable(std::span<const std::uint8_t> image, std::size_t maxRecords = SIZE_MAX);

  // The font name: the fifth record's raw bytes up to the first zero. False
  // when there are fewer than five records, when the text is empty (as for
  // every UTF-16 string starting below U+0100), or when it has 255 bytes or
  // more: such a name does not fit the 255-byte buffers, and since a patch's
  // font name has at most 63 characters it could never match anyway.
  bool GetFontName(std::string& name) const;

  // The whole rule for the font name of the table in `image` (parsed by
  // ParseNameTable, at least its first five records): the fifth record, else
  // the Windows English full name, else the Windows English PostScript name.
  // `name` is changed only when the result is not kNone.
  FontNameRule FindFontName(std::span<const std::uint8_t> image, std::string& name) const;

  CNameTableObject nameTable;
};
