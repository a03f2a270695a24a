// The name table and the font name: the fifth record by position, its raw
// bytes up to the first zero, and tables that lie about their sizes.
#include <gtest/gtest.h>

#include <optional>

#include "font/BigEndian.h"
#include "font/NameTable.h"
#include "font/OpenTypeFont.h"
#include "font/OpenTypeObject.h"
#include "tests/font/FontTestData.h"

namespace {

using test_support::BuildFont;
using test_support::NameTable;
using test_support::PutU16;

const std::vector<std::string> kFiveNames = {"Copyright", "Family", "Regular", "Unique ID", "Sample Font"};

std::size_t RecordAt(std::size_t index) { return 6 + 12 * index; }

// The name that the identity read finds in a font holding `table` as its one
// table (nullopt when none).
std::optional<std::string> FontNameOf(const std::vector<std::uint8_t>& table) {
  COpenTypeFont font;
  if (font.ReadFontImage(BuildFont({{"name", table}}), "n.otf", nullptr, nullptr, 1, 0) != 0) return std::nullopt;
  std::string name = "unchanged";
  if (!font.ReadFontName(0, name)) {
    EXPECT_EQ(name, "unchanged");
    return std::nullopt;
  }
  return name;
}

struct WindowsRecord {
  std::uint16_t encodingID;
  std::uint16_t languageID;
  std::uint16_t nameID;
  std::u16string text;  // stored as UTF-16BE
};

// A name table of Windows records only, in the order given.
std::vector<std::uint8_t> WindowsNames(const std::vector<WindowsRecord>& records) {
  std::vector<std::uint8_t> table(6 + 12 * records.size(), 0);
  PutU16(table, 2, static_cast<std::uint16_t>(records.size()));
  PutU16(table, 4, static_cast<std::uint16_t>(table.size()));
  std::size_t storage = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const WindowsRecord& r = records[i];
    for (const auto& [at, value] : {std::pair{0, 3},
                                    {2, r.encodingID},
                                    {4, r.languageID},
                                    {6, r.nameID},
                                    {8, static_cast<int>(2 * r.text.size())},
                                    {10, static_cast<int>(storage)}}) {
      PutU16(table, RecordAt(i) + at, static_cast<std::uint16_t>(value));
    }
    for (char16_t c : r.text) {
      table.push_back(static_cast<std::uint8_t>(c >> 8));
      table.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    storage += 2 * r.text.size();
  }
  return table;
}

TEST(NameTable, WindowsOnlyFontsAreNamedByTheirEnglishFullNameElseThePostScriptName) {
  // The fifth record is UTF-16: the full name, English (US), encoding 1 or 10.
  const WindowsRecord family{1, 0x409, 1, u"Veld"}, style{1, 0x409, 2, u"W3"}, unique{1, 0x409, 3, u"1.0;Veld"};
  const WindowsRecord postScript{1, 0x409, 6, u"Veld-W3"};
  EXPECT_EQ(FontNameOf(WindowsNames({family, style, unique, {1, 0x409, 4, u"Veld W3"}, postScript})), "Veld W3");
  EXPECT_EQ(FontNameOf(WindowsNames({family, style, unique, postScript, {10, 0x409, 4, u"Veld W3"}})), "Veld W3");
  // Another language, or a full name that is not 1 to 63 printable ASCII
  // characters: the PostScript name.
  for (const std::u16string& full :
       {std::u16string(u"ヴェルド W3"), std::u16string(u"Veld\tW3"), std::u16string(), std::u16string(64, u'V')}) {
    EXPECT_EQ(FontNameOf(WindowsNames({family, style, unique, {1, 0x409, 4, full}, postScript})), "Veld-W3");
  }
  EXPECT_EQ(FontNameOf(WindowsNames({family, style, unique, {1, 0x411, 4, u"Veld W3"}, postScript})), "Veld-W3");
  EXPECT_EQ(FontNameOf(WindowsNames({family, style, unique, {1, 0x409, 4, std::u16string(63, u'V')}})),
            std::string(63, 'V'));
  // Neither: no name.
  EXPECT_EQ(
      FontNameOf(WindowsNames({family, style, unique, {3, 0x409, 4, u"Veld W3"}, {1, 0x409, 6, u"Veld W3\u00e9"}})),
      std::nullopt);
  // A single-byte fifth record still wins, whatever the Windows records say.
  EXPECT_EQ(FontNameOf(NameTable(kFiveNames)), "Sample Font");
}

TEST(NameTable, RecordsAreParsedAsStored) {
  std::vector<std::uint8_t> table = NameTable(kFiveNames);
  PutU16(table, RecordAt(2) + 0, 3);
  PutU16(table, RecordAt(2) + 2, 1);
  PutU16(table, RecordAt(2) + 4, 0x0411);
  CTagNameObject name;
  name.offset = 0;
  name.length = static_cast<std::uint32_t>(table.size());
  name.paddedLength = name.length;
  EXPECT_TRUE(name.ParseNameTable(table));
  const CNameTableObject& parsed = name.nameTable;
  EXPECT_EQ(parsed.kind, kind_code::kNameTableInfo);
  EXPECT_EQ(parsed.format, 0);
  EXPECT_EQ(parsed.count, 5);
  EXPECT_EQ(parsed.stringOffset, 6 + 12 * 5);
  ASSERT_EQ(parsed.records.size(), 5u);
  const CNameRecordObject& record = *parsed.records[2];
  EXPECT_EQ(record.kind, kind_code::kNameRecord);
  EXPECT_EQ(record.textKind, 2);
  EXPECT_EQ(record.platformID, 3);
  EXPECT_EQ(record.encodingID, 1);
  EXPECT_EQ(record.languageID, 0x0411);
  EXPECT_EQ(record.nameID, 2);
  EXPECT_EQ(record.length, 7);
  EXPECT_EQ(record.offset, 9 + 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.rawBytes)), "Regular");
  for (std::size_t i = 7; i < kNameRawSize; ++i) EXPECT_EQ(record.rawBytes[i], 0) << i;
  std::string fontName;
  EXPECT_TRUE(name.GetFontName(fontName));
  EXPECT_EQ(fontName, "Sample Font");
}

TEST(NameTable, TheFifthRecordNamesTheFontWhateverItsIds) {
  // Macintosh records first, then Windows ones; the fifth is a Windows record
  // whose name ID is 1, and its bytes are single-byte text.
  std::vector<std::uint8_t> table = NameTable({"a", "b", "c", "d", "Fifth Name", "Sixth Name", "g"});
  for (std::size_t i = 3; i < 7; ++i) PutU16(table, RecordAt(i), 3);
  PutU16(table, RecordAt(4) + 6, 1);
  PutU16(table, RecordAt(5) + 6, 4);
  EXPECT_EQ(FontNameOf(table), "Fifth Name");
}

TEST(NameTable, TextEndsAtTheFirstZeroByte) {
  EXPECT_EQ(FontNameOf(NameTable({"a", "b", "c", "d", std::string("Short\0Long", 10)})), "Short");
  // UTF-16 text of Latin characters starts with a zero byte: no name, as for
  // the Noto CJK faces, whose fifth record is a Windows UTF-16 record.
  EXPECT_EQ(FontNameOf(NameTable({"a", "b", "c", "d", std::string("\0S\0a\0m", 6)})), std::nullopt);
  EXPECT_EQ(FontNameOf(NameTable({"a", "b", "c", "d", ""})), std::nullopt);
  const std::vector<std::uint8_t>& noto = font_test::NotoFace(0);
  if (!noto.empty()) {
    COpenTypeFont font;
    ASSERT_EQ(font.ReadFontImage(noto, "noto.otf", nullptr, nullptr, 1, 0), 0);
    std::string name;
    // Entry 12 is the name table: its fifth record gives nothing, its
    // Windows English full name does.
    EXPECT_EQ(font.ReadFontNameBy(12, name, true), FontNameRule::kNone);
    EXPECT_EQ(font.ReadFontNameBy(12, name), FontNameRule::kWindowsFullName);
    EXPECT_EQ(name, "Noto Sans CJK JP");
    EXPECT_EQ(std::string(font.tables[12]->tagText), "name");
  }
}

TEST(NameTable, FewerThanFiveRecordsGiveNoName) {
  EXPECT_EQ(FontNameOf(NameTable({})), std::nullopt);
  EXPECT_EQ(FontNameOf(NameTable({"a", "b", "c", "Fourth"})), std::nullopt);
  EXPECT_EQ(FontNameOf(NameTable({"a", "b", "c", "d", "Fifth"})), "Fifth");
  // A table too short for its own header.
  EXPECT_EQ(FontNameOf({0, 0, 0}), std::nullopt);
}

TEST(NameTable, LongNames) {
  const auto withFifth = [](const std::string& fifth) { return NameTable({"a", "b", "c", "d", fifth}); };
  // 254 bytes fit the 255-byte name buffers with their terminator.
  EXPECT_EQ(FontNameOf(withFifth(std::string(254, 'N'))), std::string(254, 'N'));
  // 255 bytes and more do not; such a name is no name rather than a cut one.
  EXPECT_EQ(FontNameOf(withFifth(std::string(255, 'N'))), std::nullopt);
  EXPECT_EQ(FontNameOf(withFifth(std::string(260, 'N'))), std::nullopt);
  // A string longer than the 260-byte raw copy is refused whole, even when a
  // zero byte would end its text early.
  EXPECT_EQ(FontNameOf(withFifth("Early" + std::string(1, '\0') + std::string(300, 'N'))), std::nullopt);
  EXPECT_EQ(FontNameOf(withFifth("Early" + std::string(1, '\0') + std::string(254, 'N'))), "Early");
  // The refusal is the record's alone.
  CTagNameObject name;
  const std::vector<std::uint8_t> table = NameTable({"a", "b", "c", "d", std::string(261, 'N'), "f"});
  name.length = name.paddedLength = static_cast<std::uint32_t>(table.size());
  EXPECT_TRUE(name.ParseNameTable(table));
  ASSERT_EQ(name.nameTable.records.size(), 6u);
  EXPECT_EQ(name.nameTable.records[4]->length, 261);
  EXPECT_EQ(name.nameTable.records[4]->RawText(), "");
  EXPECT_EQ(name.nameTable.records[5]->RawText(), "f");
}

TEST(NameTable, StringsOutsideTheTableAreNotRead) {
  // 109 bytes: the file holds three bytes of padding after the table.
  const std::vector<std::uint8_t> good = NameTable({"Copyright", "Family", "Regular", "Unique ID", "Sample Fonts"});
  ASSERT_EQ(good.size() % 4, 1u);
  const std::uint16_t lastOffset = LoadU16(good.data() + RecordAt(4) + 10);
  // Ends exactly at the end of the table: read.
  EXPECT_EQ(FontNameOf(good), "Sample Fonts");
  // One byte longer, into the padding: the padding is not part of the table.
  std::vector<std::uint8_t> bad = good;
  PutU16(bad, RecordAt(4) + 8, 13);
  EXPECT_EQ(FontNameOf(bad), std::nullopt);
  bad = good;
  PutU16(bad, RecordAt(4) + 10, static_cast<std::uint16_t>(lastOffset + 1));
  EXPECT_EQ(FontNameOf(bad), std::nullopt);
  // Far past it, and a storage offset past it.
  bad = good;
  PutU16(bad, RecordAt(4) + 10, 0xFFFF);
  EXPECT_EQ(FontNameOf(bad), std::nullopt);
  bad = good;
  PutU16(bad, 4, 0xFFFF);
  EXPECT_EQ(FontNameOf(bad), std::nullopt);
}

TEST(NameTable, RecordsOutsideTheTableAreNotRead) {
  // The count claims more records than the table holds: the fifth record
  // still lies inside and names the font.
  std::vector<std::uint8_t> table = NameTable(kFiveNames);
  PutU16(table, 2, 0xFFFF);
  EXPECT_EQ(FontNameOf(table), "Sample Font");
  CTagNameObject name;
  name.length = name.paddedLength = static_cast<std::uint32_t>(table.size());
  EXPECT_FALSE(name.ParseNameTable(table));
  EXPECT_EQ(name.nameTable.count, 0xFFFF);
  EXPECT_EQ(name.nameTable.records.size(), (table.size() - 6) / 12);
  // The table ends inside the fifth record.
  table = NameTable(kFiveNames);
  table.resize(RecordAt(4) + 11);
  EXPECT_EQ(FontNameOf(table), std::nullopt);
}

TEST(NameTable, FormatOneCountsNameRecordsOnly) {
  // Five name records, then langTagCount and one language-tag record, then
  // the strings.
  std::vector<std::uint8_t> table = NameTable(kFiveNames);
  const std::size_t storage = RecordAt(5);
  std::vector<std::uint8_t> withTags(table.begin(), table.begin() + storage);
  PutU16(withTags, storage, 1);      // langTagCount
  PutU16(withTags, storage + 2, 2);  // length of the tag string
  PutU16(withTags, storage + 4, 0);  // its offset
  withTags.insert(withTags.end(), table.begin() + storage, table.end());
  PutU16(withTags, 0, 1);
  PutU16(withTags, 4, static_cast<std::uint16_t>(storage + 6));
  EXPECT_EQ(FontNameOf(withTags), "Sample Font");
}

TEST(NameTable, TheTableMustLieInsideTheFile) {
  std::vector<std::uint8_t> font = BuildFont({{"name", NameTable(kFiveNames)}, {"head", test_support::HeadTable(1)}});
  COpenTypeFont reader;
  ASSERT_EQ(reader.ReadFontImage(font, "n.otf", nullptr, nullptr, 1, 0), 0);
  std::string name;
  EXPECT_TRUE(reader.ReadFontName(0, name));
  EXPECT_FALSE(reader.ReadFontName(1, name)) << "a head entry is not a name table";
  EXPECT_FALSE(reader.ReadFontName(2, name)) << "past the directory";
  EXPECT_FALSE(reader.ReadFontName(1000000, name));
  // A name table cut by the end of the file.
  const std::uint32_t length = LoadU32(font.data() + 12 + 12);
  test_support::PutU32(font, 12 + 12, length + 1000);
  COpenTypeFont cut;
  const FontIdentity identity = cut.ReadFontIdentityParts(font);
  EXPECT_FALSE(identity.nameFound);
  EXPECT_TRUE(identity.revisionFound);
  EXPECT_EQ(cut.ReadFontImage(font, "n.otf", nullptr, nullptr, 1, 0), 1);
  // The last table of a file without its padding is read from its own bytes.
  const std::vector<std::uint8_t> odd = NameTable({"Copyright", "Family", "Regular", "Unique ID", "Sample Fonts"});
  ASSERT_EQ(odd.size() % 4, 1u);
  std::vector<std::uint8_t> last = BuildFont({{"head", test_support::HeadTable(1)}, {"name", odd}});
  last.resize(last.size() - 3);
  ASSERT_EQ(reader.ReadFontImage(last, "n.otf", nullptr, nullptr, 1, 0), 0);
  EXPECT_TRUE(reader.ReadFontName(1, name));
  EXPECT_EQ(name, "Sample Fonts");
}

}  // namespace
