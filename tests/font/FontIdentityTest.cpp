// The head table and the identity read: the name and revision by which the
// search recognises an installed font.
#include <gtest/gtest.h>

#include <cstring>

#include "font/BigEndian.h"
#include "font/HeadTable.h"
#include "font/NameTable.h"
#include "font/OpenTypeFont.h"
#include "font/OpenTypeObject.h"
#include "tests/font/FontTestData.h"

namespace {

using test_support::BuildFont;
using test_support::CraftedTable;
using test_support::HeadTable;
using test_support::NameTable;

std::vector<std::uint8_t> Names(const std::string& fifth) { return NameTable({"a", "b", "c", "d", fifth}); }

struct Identity {
  bool found;
  std::uint32_t revision;
  std::string name;
};

Identity IdentityOf(const std::vector<std::uint8_t>& font) {
  COpenTypeFont reader;
  Identity identity{false, 0xDEADBEEF, "none"};
  identity.found = reader.ReadFontIdentityImage(font, identity.revision, identity.name);
  EXPECT_TRUE(reader.fileImage.empty()) << "the identity read frees the image";
  EXPECT_TRUE(reader.tables.empty());
  return identity;
}

TEST(HeadTable, FieldsAreReadInTheirOrder) {
  const std::vector<std::uint8_t> stix = font_test::PackageFont(font_test::kStixRegular);
  if (stix.empty()) GTEST_SKIP() << "fonts-stix is not installed";
  // STIXGeneral-Regular's head table lies at 0xDC.
  const std::span<const std::uint8_t> table(stix.data() + 0xDC, 54);
  CHeadInfoObject head;
  ASSERT_TRUE(head.ParseHeadTable(table));
  EXPECT_EQ(head.kind, kind_code::kHeadInfo);
  EXPECT_EQ(head.version, 0x00010000u);
  EXPECT_EQ(head.fontRevision, 0x00011999u);
  EXPECT_EQ(head.checkSumAdjustment, 0x659ACAC9u);
  EXPECT_EQ(head.magicNumber, 0x5F0F3CF5u);
  EXPECT_EQ(head.flags, 11);
  EXPECT_EQ(head.unitsPerEm, 1000);
  EXPECT_EQ(std::memcmp(head.created, table.data() + 20, 8), 0) << "dates keep their stored bytes";
  EXPECT_EQ(std::memcmp(head.modified, table.data() + 28, 8), 0);
  EXPECT_EQ(head.created[4], 0xCB);
  EXPECT_EQ(head.xMin, -970);
  EXPECT_EQ(head.yMin, -443);
  EXPECT_EQ(head.xMax, 2000);
  EXPECT_EQ(head.yMax, 1023);
  EXPECT_EQ(head.macStyle, 0);
  EXPECT_EQ(head.lowestRecPPEM, 8);
  EXPECT_EQ(head.fontDirectionHint, 2);
  EXPECT_EQ(head.indexToLocFormat, 0);
  EXPECT_EQ(head.glyphDataFormat, 0);
}

TEST(HeadTable, ShortOrMisplacedTablesAreRefused) {
  const std::vector<std::uint8_t> head = HeadTable(0x00010000);
  CHeadInfoObject info;
  EXPECT_TRUE(info.ParseHeadTable(head));
  EXPECT_FALSE(CHeadInfoObject().ParseHeadTable(std::span<const std::uint8_t>(head.data(), 53)));
  EXPECT_FALSE(CHeadInfoObject().ParseHeadTable({}));
  // Through the directory: the table's own length counts, not the bytes that
  // happen to follow it in the file.
  for (std::uint32_t length : {0u, 12u, 53u}) {
    std::vector<std::uint8_t> font = BuildFont({{"name", Names("Short Head")}, {"head", head}});
    test_support::PutU32(font, 12 + 16 + 12, length);
    EXPECT_FALSE(IdentityOf(font).found) << length;
  }
  CTagHeadObject tag;
  tag.offset = 10;
  tag.length = 54;
  EXPECT_FALSE(tag.ParseHeadTable(std::span<const std::uint8_t>(head.data(), 54)));
  tag.offset = 0;
  EXPECT_TRUE(tag.ParseHeadTable(std::span<const std::uint8_t>(head.data(), 54)));
}

TEST(FontIdentity, PackageFontsWithToolTablesAreIdentifiedAndRead) {
  struct Case {
    const char* path;
    const char* name;
    std::uint32_t revision;
  };
  for (const Case& c : {Case{font_test::kStixRegular, "STIXGeneral-Regular", 0x00011999},
                        Case{font_test::kStixSizeOne, "STIXSizeOneSym-Regular", 0x00011999},
                        Case{font_test::kLibertineRegular, "Linux Libertine O", 0x00054CCC},
                        Case{font_test::kBiolinumKeyboard, "Linux Biolinum Keyboard O", 0x00009999}}) {
    if (!test_support::HostFileExists(c.path)) GTEST_SKIP() << c.path << " is not installed";
    COpenTypeFont font;
    std::uint32_t revision = 0;
    std::string name;
    EXPECT_TRUE(font.ReadFontIdentity(test_support::HostPath(c.path), revision, name)) << c.path;
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(revision, c.revision);
    EXPECT_TRUE(font.fileImage.empty());
    EXPECT_EQ(font.ReadFontFile(test_support::HostPath(c.path), nullptr, nullptr, 1, 0), 0);
  }
}

TEST(FontIdentity, WindowsOnlyFacesAreNamedByTheirEnglishFullName) {
  // Noto's faces carry Windows name records only: the fifth is UTF-16.
  const std::vector<std::uint8_t>& face = font_test::NotoFace(0);
  if (face.empty()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const Identity identity = IdentityOf(face);
  EXPECT_TRUE(identity.found);
  EXPECT_EQ(identity.name, "Noto Sans CJK JP");
  EXPECT_EQ(identity.revision, 0x00020106u);
  COpenTypeFont font;
  const FontIdentity parts = font.ReadFontIdentityParts(face);
  EXPECT_TRUE(parts.nameFound);
  EXPECT_EQ(parts.nameRule, FontNameRule::kWindowsFullName);
  EXPECT_TRUE(parts.revisionFound);
  EXPECT_EQ(parts.revision, 0x00020106u);
  // The same face with a single-byte fifth record is named by it, as always.
  ASSERT_EQ(font.ReadFontImage(face, "noto.otf", nullptr, nullptr, 1, 0), 0);
  std::vector<CraftedTable> tables;
  for (const auto& table : font.tables) {
    tables.push_back({table->tagText, {table->Data().begin(), table->Data().end()}});
  }
  tables[12].data = Names("Noto Sans CJK JP Fifth");
  const Identity renamed = IdentityOf(BuildFont(tables));
  EXPECT_TRUE(renamed.found);
  EXPECT_EQ(renamed.name, "Noto Sans CJK JP Fifth");
  EXPECT_EQ(renamed.revision, 0x00020106u);
}

TEST(FontIdentity, RevisionIsTheRawFixedPointValue) {
  const Identity one = IdentityOf(BuildFont({{"head", HeadTable(0x00010000)}, {"name", Names("Font")}}));
  ASSERT_TRUE(one.found);
  EXPECT_EQ(one.revision, 65536u);
  EXPECT_EQ(one.name, "Font");
  EXPECT_EQ(IdentityOf(BuildFont({{"head", HeadTable(0x00010001)}, {"name", Names("Font")}})).revision, 65537u);
  EXPECT_EQ(IdentityOf(BuildFont({{"head", HeadTable(0xFFFFFFFF)}, {"name", Names("Font")}})).revision, 0xFFFFFFFFu);
}

TEST(FontIdentity, TheFirstUsableEntryOfEachKindWins) {
  const Identity twoHeads = IdentityOf(BuildFont({{"head", HeadTable(0x00010000)},
                                                  {"name", Names("First Name")},
                                                  {"head", HeadTable(0x00020000)},
                                                  {"name", Names("Second Name")}}));
  ASSERT_TRUE(twoHeads.found);
  EXPECT_EQ(twoHeads.revision, 0x00010000u);
  EXPECT_EQ(twoHeads.name, "First Name");
  // A first table that yields nothing gives way to the next one of its kind,
  // each kind on its own.
  std::vector<std::uint8_t> shortHead = HeadTable(0x00010000);
  shortHead.resize(40);
  const Identity fallback = IdentityOf(BuildFont({{"name", Names(std::string("\0U\0T\0F", 6))},
                                                  {"head", shortHead},
                                                  {"name", Names("Second Name")},
                                                  {"head", HeadTable(0x00020000)}}));
  ASSERT_TRUE(fallback.found);
  EXPECT_EQ(fallback.revision, 0x00020000u);
  EXPECT_EQ(fallback.name, "Second Name");
}

TEST(FontIdentity, BothPartsAreNeeded) {
  EXPECT_FALSE(IdentityOf(BuildFont({{"name", Names("Font")}})).found);
  EXPECT_FALSE(IdentityOf(BuildFont({{"head", HeadTable(0x00010000)}})).found);
  EXPECT_FALSE(IdentityOf(BuildFont({{"head", HeadTable(0x00010000)}, {"name", Names("")}})).found);
  EXPECT_FALSE(IdentityOf(BuildFont({})).found);
}

TEST(FontIdentity, TablesOutsideTheKnownSetDoNotMatter) {
  const Identity identity = IdentityOf(BuildFont(
      {{"kern", {1, 2, 3}}, {"glyf", {}}, {"head", HeadTable(0x00010000)}, {"name", Names("Font")}, {"CFF", {}}}));
  EXPECT_TRUE(identity.found);
  EXPECT_EQ(identity.name, "Font");
}

TEST(FontIdentity, OnlyOttoFilesAreRead) {
  std::vector<std::uint8_t> font = BuildFont({{"head", HeadTable(0x00010000)}, {"name", Names("Font")}});
  test_support::PutU32(font, 0, 0x00010000);
  EXPECT_FALSE(IdentityOf(font).found);
  EXPECT_FALSE(IdentityOf({}).found);
  EXPECT_FALSE(IdentityOf({'O', 'T', 'T', 'O', 0, 2}).found);
  test_support::ScratchFolder scratch;
  test_support::WriteBytes(scratch.File("empty.otf"), {});
  for (const std::string& path : {scratch.File("missing.otf"), scratch.File("empty.otf")}) {
    COpenTypeFont reader;
    std::uint32_t revision = 0;
    std::string name;
    EXPECT_FALSE(reader.ReadFontIdentity(path, revision, name)) << path;
  }
  if (test_support::HostFileExists(font_test::kNotoCollection)) {
    COpenTypeFont reader;
    std::uint32_t revision = 0;
    std::string name;
    EXPECT_FALSE(reader.ReadFontIdentity(test_support::HostPath(font_test::kNotoCollection), revision, name));
  }
}

TEST(FontIdentity, EntriesPastTheEndOfTheFileAreNotRead) {
  // name and head come first; the count claims many more entries than the
  // file holds, and the file ends inside the third entry.
  std::vector<std::uint8_t> font =
      BuildFont({{"name", Names("Font")}, {"head", HeadTable(0x00010000)}, {"post", {1, 2, 3, 4}}});
  test_support::PutU16(font, 4, 0xFFFF);
  EXPECT_TRUE(IdentityOf(font).found);
  font.resize(12 + 16 * 2 + 8);
  const Identity cut = IdentityOf(font);
  EXPECT_FALSE(cut.found) << "the tables themselves are gone";
  // A count whose last entry straddles the end of the file: that entry is
  // not read. Here its 12 bytes inside the file say "head" at the offset of
  // a good head table (the post table's bytes); only its length lies past
  // the end, so a reader that took the entry would find a revision.
  std::vector<std::uint8_t> straddle = BuildFont({{"name", Names("Font")}, {"post", HeadTable(0x00010000)}});
  const std::uint32_t postOffset = LoadU32(straddle.data() + 12 + 16 + 8);
  const std::size_t index = (straddle.size() - 12 + 15) / 16;  // the first entry past the tables
  const std::size_t entry = 12 + 16 * index;
  straddle.resize(entry + 12);
  std::memcpy(straddle.data() + entry, "head", 4);
  test_support::PutU32(straddle, entry + 8, postOffset);
  test_support::PutU16(straddle, 4, static_cast<std::uint16_t>(index + 1));
  EXPECT_FALSE(IdentityOf(straddle).found);
  test_support::PutU32(straddle, entry + 12, kHeadTableSize);  // the whole entry: now it counts
  EXPECT_TRUE(IdentityOf(straddle).found);
  // Tables pointing past the end, or wrapping, are not read.
  std::vector<std::uint8_t> wrapped = BuildFont({{"name", Names("Font")}, {"head", HeadTable(0x00010000)}});
  test_support::PutU32(wrapped, 12 + 16 + 8, 0xFFFFFFF0u);
  EXPECT_FALSE(IdentityOf(wrapped).found);
  wrapped = BuildFont({{"name", Names("Font")}, {"head", HeadTable(0x00010000)}});
  test_support::PutU32(wrapped, 12 + 8, 0xFFFFFFF0u);
  EXPECT_FALSE(IdentityOf(wrapped).found);
}

TEST(FontIdentity, ThousandsOfNameEntriesWithHugeRecordListsAreReadQuickly) {
  // 65,535 directory entries all naming one table of 65,535 records whose
  // fifth is empty: each entry is asked for the name in turn, and only the
  // first five records of each can matter. (Reading every record of every
  // entry took minutes: a search would hang on such a file.)
  constexpr std::uint32_t kEntries = 65535;
  constexpr std::uint32_t kRecords = 65535;
  const std::size_t tableOffset = 12 + 16 * std::size_t{kEntries};
  const std::size_t tableLength = 6 + 12 * std::size_t{kRecords};
  std::vector<std::uint8_t> font(tableOffset + tableLength, 0);
  StoreU32(font.data(), 0x4F54544F);
  StoreU16(font.data() + 4, static_cast<std::uint16_t>(kEntries));
  for (std::size_t i = 0; i < kEntries; ++i) {
    std::uint8_t* entry = font.data() + 12 + 16 * i;
    std::memcpy(entry, i + 1 == kEntries ? "head" : "name", 4);
    StoreU32(entry + 8, static_cast<std::uint32_t>(tableOffset));
    StoreU32(entry + 12, static_cast<std::uint32_t>(i + 1 == kEntries ? 54 : tableLength));
  }
  std::uint8_t* table = font.data() + tableOffset;
  StoreU16(table + 2, static_cast<std::uint16_t>(kRecords));
  StoreU16(table + 4, static_cast<std::uint16_t>(tableLength));
  COpenTypeFont reader;
  std::uint32_t revision = 0;
  std::string name;
  EXPECT_FALSE(reader.ReadFontIdentityImage(font, revision, name));
}

}  // namespace
