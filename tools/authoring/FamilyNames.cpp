// Name records to family lines.
#include "tools/authoring/FamilyNames.h"

#include <algorithm>
#include <cstdint>

#include "font/ByteReader.h"
#include "tools/authoring/TextCodes.h"

namespace authoring {
namespace {

constexpr std::uint16_t kPlatformMacintosh = 1;
constexpr std::uint16_t kPlatformWindows = 3;
constexpr std::uint16_t kWindowsJapanese = 0x0411;
constexpr std::uint16_t kWindowsEnglish = 0x0409;
constexpr std::uint16_t kMacRoman = 0;
constexpr std::uint16_t kMacJapanese = 1;
constexpr std::size_t kMostStylesNamed = 4;
constexpr std::size_t kLineLimit = 254;  // bytes in code page 932

struct NameRecord {
  std::uint16_t platformID;
  std::uint16_t encodingID;
  std::uint16_t languageID;
  std::uint16_t nameID;
  std::span<const std::uint8_t> bytes;
};

// Lower is better: Japanese names first, since the dialog is Japanese.
int Preference(const NameRecord& record) {
  if (record.platformID == kPlatformWindows && (record.encodingID == 1 || record.encodingID == 10)) {
    if (record.languageID == kWindowsJapanese) return 0;
    if (record.languageID == kWindowsEnglish) return 2;
    return 4;
  }
  if (record.platformID == kPlatformMacintosh && record.encodingID == kMacJapanese) return 1;
  if (record.platformID == kPlatformMacintosh && record.encodingID == kMacRoman && record.languageID == 0) return 3;
  return -1;
}

bool Decode(const NameRecord& record, std::string& text) {
  const std::string_view raw(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size());
  bool ok = false;
  if (record.platformID == kPlatformWindows) {
    ok = ConvertText("UTF-16BE", "UTF-8", raw, text);
  } else if (record.encodingID == kMacJapanese) {
    ok = ConvertText("SHIFT_JIS", "UTF-8", raw, text);
  } else {
    ok = ConvertText("MACINTOSH", "UTF-8", raw, text);
  }
  // Only names the update list can carry are of use.
  std::string cp932;
  return ok && !text.empty() && EncodeCp932(text, cp932);
}

std::string PickName(const std::vector<NameRecord>& records, std::uint16_t nameID) {
  std::string best;
  int bestPreference = 1000;
  for (const NameRecord& record : records) {
    const int preference = Preference(record);
    if (record.nameID != nameID || preference < 0 || preference >= bestPreference) continue;
    std::string text;
    if (Decode(record, text)) {
      best = text;
      bestPreference = preference;
    }
  }
  return best;
}

std::size_t Cp932Size(const std::string& utf8) {
  std::string cp932;
  return EncodeCp932(utf8, cp932) ? cp932.size() : utf8.size();
}

// The records of `nameTable` whose strings lie inside it; false when the
// header or a record is cut short.
bool ReadRecords(std::span<const std::uint8_t> nameTable, std::vector<NameRecord>& records) {
  CByteReader reader(nameTable);
  std::uint16_t format = 0;
  std::uint16_t count = 0;
  std::uint16_t stringOffset = 0;
  if (!reader.ReadU16(format) || !reader.ReadU16(count) || !reader.ReadU16(stringOffset)) return false;
  for (std::uint16_t i = 0; i < count; ++i) {
    NameRecord record{};
    std::uint16_t length = 0;
    std::uint16_t offset = 0;
    if (!reader.ReadU16(record.platformID) || !reader.ReadU16(record.encodingID) ||
        !reader.ReadU16(record.languageID) || !reader.ReadU16(record.nameID) || !reader.ReadU16(length) ||
        !reader.ReadU16(offset)) {
      return false;
    }
    const std::size_t at = std::size_t{stringOffset} + offset;
    if (!reader.Contains(at, length)) continue;  // a record outside the table names nothing
    record.bytes = nameTable.subspan(at, length);
    records.push_back(record);
  }
  return true;
}

}  // namespace

std::string ReadFullName(std::span<const std::uint8_t> nameTable) {
  std::vector<NameRecord> records;
  return ReadRecords(nameTable, records) ? PickName(records, 4) : std::string();
}

bool ReadFamilyName(std::span<const std::uint8_t> nameTable, FamilyName& name) {
  name = FamilyName{};
  std::vector<NameRecord> records;
  if (!ReadRecords(nameTable, records)) return false;
  name.family = PickName(records, 16);
  if (name.family.empty()) name.family = PickName(records, 1);
  name.style = PickName(records, 17);
  if (name.style.empty()) name.style = PickName(records, 2);
  return !name.family.empty();
}

std::vector<std::string> BuildFontLines(const std::vector<FamilyName>& fonts) {
  std::vector<std::string> families;
  std::vector<std::vector<std::string>> styles;
  for (const FamilyName& font : fonts) {
    auto found = std::find(families.begin(), families.end(), font.family);
    if (found == families.end()) {
      families.push_back(font.family);
      styles.emplace_back();
      found = families.end() - 1;
    }
    auto& list = styles[static_cast<std::size_t>(found - families.begin())];
    if (!font.style.empty() && std::find(list.begin(), list.end(), font.style) == list.end()) {
      list.push_back(font.style);
    }
  }
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < families.size(); ++i) {
    std::string line = "・" + families[i];
    const auto& list = styles[i];
    std::string named;
    for (const std::string& style : list) named += (named.empty() ? " " : "/") + style;
    if (list.size() <= kMostStylesNamed && Cp932Size(line + named) <= kLineLimit) {
      line += named;
    } else {
      line += "（全" + std::to_string(list.size()) + "書体）";
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace authoring
