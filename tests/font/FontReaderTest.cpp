// Loading a font file: which fonts load, the two table orders, and the
// reports and stops of the read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "font/BigEndian.h"
#include "font/ByteReader.h"
#include "font/FontWords.h"
#include "font/OpenTypeFont.h"
#include "font/OpenTypeObject.h"
#include "tests/font/FontTestData.h"

namespace {

using font_test::ProgressRecorder;
using test_support::BuildFont;
using test_support::CraftedTable;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A small font with only known tables and odd lengths, so that padding shows.
std::vector<CraftedTable> KnownTables() {
  return {{"head", test_support::HeadTable(0x00010000)},
          {"name", test_support::NameTable({"c", "Family", "Regular", "Unique", "Sample Font"})},
          {"CFF ", Bytes("not really a CFF table")},
          {"maxp", Bytes("\x00\x00\x50\x00\x00\x07")},
          {"post", Bytes("post table bytes!")}};
}

// The tables of a real font, as stored, in directory order.
std::vector<CraftedTable> TablesOf(const std::vector<std::uint8_t>& font) {
  std::vector<CraftedTable> tables;
  CByteReader reader(font);
  std::uint16_t count = 0;
  if (!reader.Seek(4) || !reader.ReadU16(count)) return tables;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t tag[4];
    std::uint32_t checkSum, offset, length;
    if (!reader.Seek(12 + 16 * i) || !reader.ReadTag(tag) || !reader.ReadU32(checkSum) || !reader.ReadU32(offset) ||
        !reader.ReadU32(length) || !reader.Contains(offset, length)) {
      return {};
    }
    tables.push_back({std::string(reinterpret_cast<const char*>(tag), 4),
                      std::vector<std::uint8_t>(font.begin() + offset, font.begin() + offset + length)});
  }
  return tables;
}

std::vector<CraftedTable> Without(std::vector<CraftedTable> tables, const std::vector<std::string>& tags) {
  std::erase_if(tables,
                [&](const CraftedTable& t) { return std::find(tags.begin(), tags.end(), t.tag) != tags.end(); });
  return tables;
}

int Load(COpenTypeFont& font, const std::vector<std::uint8_t>& bytes, ProgressRecorder* recorder = nullptr) {
  return font.ReadFontImage(bytes, "/fonts/Sample Font.otf", recorder ? ProgressRecorder::Callback : nullptr, recorder,
                            1, 0);
}

// Every table object agrees with its directory entry and points at its bytes
// in the image; both orders hold every table once.
void ExpectConsistentTables(const COpenTypeFont& font) {
  const std::span<const std::uint8_t> image = font.Image();
  ASSERT_EQ(font.tables.size(), font.header.numTables);
  ASSERT_EQ(font.tablesByOffset.GetSize(), font.tables.size());
  for (std::size_t i = 0; i < font.tables.size(); ++i) {
    const CTagObject& table = *font.tables[i];
    const std::uint8_t* entry = image.data() + 12 + 16 * i;
    EXPECT_EQ(std::memcmp(table.tag, entry, 4), 0);
    EXPECT_EQ(std::string(table.tagText), std::string(reinterpret_cast<const char*>(entry), 4));
    EXPECT_EQ(table.checkSum, LoadU32(entry + 4));
    EXPECT_EQ(table.offset, LoadU32(entry + 8));
    EXPECT_EQ(table.length, LoadU32(entry + 12));
    EXPECT_EQ(table.paddedLength, AlignLength4(table.length));
    EXPECT_EQ(table.entry, entry);
    EXPECT_EQ(table.data, image.data() + table.offset);
    EXPECT_EQ(table.directorySlot, static_cast<std::int32_t>(i));
    EXPECT_EQ(table.kind, kind_code::kTable);
    EXPECT_EQ(font.tablesByOffset[table.dataOrder], &table);
  }
  for (std::size_t i = 1; i < font.tablesByOffset.GetSize(); ++i) {
    EXPECT_LT(font.tablesByOffset[i - 1]->offset, font.tablesByOffset[i]->offset);
  }
}

TEST(FontReader, NotoFacesLoadWithTheirDirectoryAndChecksums) {
  for (std::uint32_t index : {0u, 5u}) {
    const std::vector<std::uint8_t>& face = font_test::NotoFace(index);
    if (face.empty()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
    COpenTypeFont font;
    ASSERT_EQ(Load(font, face), 0) << "face " << index;
    EXPECT_EQ(font.kind, kind_code::kManager);
    EXPECT_EQ(font.header.kind, kind_code::kHeader);
    EXPECT_EQ(font.header.fontKind, 2);
    EXPECT_EQ(font.header.sfntVersion, 0x4F54544Fu);
    EXPECT_EQ(font.header.numTables, 16);
    EXPECT_EQ(font.fileName, "Sample Font.otf");
    EXPECT_EQ(font.fileLength, static_cast<std::int32_t>(face.size()));
    ExpectConsistentTables(font);
    EXPECT_EQ(font.FindTagObject("CFF "), font.tables[1].get());
    EXPECT_EQ(font.FindTagObject("vmtx"), font.tables[15].get());
    EXPECT_EQ(font.FindTagObject("CFF"), nullptr);
    EXPECT_EQ(font.FindTagObject("glyf"), nullptr);
    // The directory's checksums are those of the tables (head's is taken with
    // a zero checkSumAdjustment), and the face sums to the magic number.
    for (const auto& table : font.tables) {
      std::vector<std::uint8_t> bytes(table->PaddedData().begin(), table->PaddedData().end());
      if (std::string(table->tagText) == "head") StoreU32(bytes.data() + 8, 0);
      EXPECT_EQ(CalcTableCheckSum(bytes, table->length), table->checkSum) << table->tagText;
    }
    EXPECT_EQ(SumFontWords(face), kCheckSumMagic);
  }
}

TEST(FontReader, OffsetOrderFollowsTheFileNotTheDirectory) {
  const std::vector<std::uint8_t>& face = font_test::NotoFace(0);
  if (face.empty()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const std::vector<CraftedTable> tables = TablesOf(face);
  ASSERT_EQ(tables.size(), 16u);
  // The same tables laid out in the file in an order of their own.
  const std::vector<std::size_t> fileOrder = {15, 3, 8, 0, 12, 1, 14, 2, 9, 4, 11, 5, 13, 6, 10, 7};
  COpenTypeFont font;
  ASSERT_EQ(Load(font, BuildFont(tables, fileOrder)), 0);
  ExpectConsistentTables(font);
  for (std::size_t position = 0; position < fileOrder.size(); ++position) {
    EXPECT_EQ(font.tablesByOffset[position], font.tables[fileOrder[position]].get());
    EXPECT_EQ(font.tables[fileOrder[position]]->dataOrder, static_cast<std::int32_t>(position));
  }
}

TEST(FontReader, FontsWithTablesOutsideTheKnownSetLoad) {
  // FontForge's 'FFTM' and a 'MATH' table, in fonts Debian ships: every
  // table is read, whatever its tag.
  struct Case {
    const char* path;
    std::vector<std::string> unknown;
  };
  const Case cases[] = {{font_test::kStixRegular, {"FFTM"}},
                        {font_test::kBiolinumKeyboard, {"FFTM"}},
                        {font_test::kLibertineRegular, {"FFTM", "MATH"}}};
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> bytes = font_test::PackageFont(c.path);
    if (bytes.empty()) GTEST_SKIP() << c.path << " is not installed";
    COpenTypeFont font;
    EXPECT_EQ(font.ReadFontFile(test_support::HostPath(c.path), nullptr, nullptr, 1, 0), 0) << c.path;
    ExpectConsistentTables(font);
    for (const std::string& tag : c.unknown) EXPECT_NE(font.FindTagObject(tag.c_str()), nullptr) << c.path << tag;
    EXPECT_EQ(Load(font, BuildFont(Without(TablesOf(bytes), c.unknown))), 0) << c.path;
  }
}

TEST(FontReader, AnyTagOfPrintableCharactersIsReadOnceOnly) {
  // Four characters from 0x20 to 0x7E, spaces only at the end.
  for (const char* tag : {"kern", "gasp", "glyf", "CFF2", "Head", "NAME", "OS/3", "cff ", "STAT", "a   ", "~!{}"}) {
    std::vector<CraftedTable> tables = KnownTables();
    tables.push_back({std::string(tag, 4), Bytes("table")});
    COpenTypeFont font;
    EXPECT_EQ(Load(font, BuildFont(tables)), 0) << tag;
    const CTagObject* table = font.FindTagObject(tag);
    ASSERT_NE(table, nullptr) << tag;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(table->data), table->length), "table");
  }
  // A byte outside 0x20 to 0x7E, a space before a character, a tag twice.
  for (const std::string& tag : {std::string("CFF\0", 4), std::string(" CFF"), std::string("a b "),
                                 std::string("\x7F"
                                             "abc"),
                                 std::string("head")}) {
    std::vector<CraftedTable> tables = KnownTables();
    tables.push_back({tag, Bytes("table")});
    ProgressRecorder recorder;
    COpenTypeFont font;
    EXPECT_EQ(Load(font, BuildFont(tables), &recorder), 1) << tag;
    EXPECT_EQ(recorder.Steps(), (std::vector<int>{10, 20})) << "no step 30 for a refused tag";
    EXPECT_TRUE(font.tables.empty());
    EXPECT_FALSE(font.refusal.empty());
  }
  // Every one of the 19 tags the first updater knew, in any order of the directory.
  std::vector<CraftedTable> all;
  for (const char* tag : {"GDEF", "DSIG", "EBLC", "EBDT", "vmtx", "vhea", "post", "name", "maxp", "hmtx", "hhea",
                          "head", "cmap", "VORG", "OS/2", "GSUB", "GPOS", "CFF ", "BASE"}) {
    all.push_back({tag, Bytes(std::string("data of ") + tag)});
  }
  COpenTypeFont font;
  EXPECT_EQ(Load(font, BuildFont(all)), 0);
  EXPECT_EQ(font.tables.size(), 19u);
  ExpectConsistentTables(font);
}

TEST(FontReader, OnlyOttoFontsLoad) {
  std::vector<std::uint8_t> font = BuildFont(KnownTables());
  for (std::uint32_t version : {0x00010000u, 0x74746366u /* ttcf */, 0x74727565u /* true */, 0x4F54544Eu}) {
    test_support::PutU32(font, 0, version);
    ProgressRecorder recorder;
    COpenTypeFont reader;
    EXPECT_EQ(reader.header.kind, -1);
    EXPECT_EQ(Load(reader, font, &recorder), 1);
    EXPECT_EQ(recorder.Steps(), (std::vector<int>{10, 30}));
    EXPECT_TRUE(reader.tables.empty());
    // The offset table was looked at: the header records its kind code, the
    // font kind stays unrecognised.
    EXPECT_EQ(reader.header.kind, kind_code::kHeader);
    EXPECT_EQ(reader.header.fontKind, -1);
  }
  // A real collection of 'OTTO' faces is not itself a font.
  if (test_support::HostFileExists(font_test::kNotoCollection)) {
    COpenTypeFont reader;
    EXPECT_EQ(reader.ReadFontFile(test_support::HostPath(font_test::kNotoCollection), nullptr, nullptr, 1, 0), 1);
  }
}

TEST(FontReader, EmptyDirectoryLoads) {
  COpenTypeFont font;
  EXPECT_EQ(Load(font, BuildFont({})), 0);
  EXPECT_EQ(font.header.numTables, 0);
  EXPECT_TRUE(font.tables.empty());
  EXPECT_TRUE(font.tablesByOffset.IsEmpty());
}

TEST(FontReader, NothingOutsideTheFileIsRead) {
  const std::vector<std::uint8_t> good = BuildFont(KnownTables());
  COpenTypeFont font;
  // The directory cut short: the file ends inside the last entry, or the
  // count claims more entries than the file holds.
  for (std::size_t size : {std::size_t{12 + 16 * 4 + 8}, std::size_t{12 + 16 * 2}, std::size_t{12}}) {
    EXPECT_EQ(Load(font, std::vector<std::uint8_t>(good.begin(), good.begin() + size)), 1) << size;
  }
  std::vector<std::uint8_t> tooMany = good;
  test_support::PutU16(tooMany, 4, 0xFFFF);
  EXPECT_EQ(Load(font, tooMany), 1);
  // Shorter than the offset table.
  for (std::size_t size : {std::size_t{1}, std::size_t{4}, std::size_t{11}}) {
    EXPECT_EQ(Load(font, std::vector<std::uint8_t>(good.begin(), good.begin() + size)), 1) << size;
  }
  // A table past the end, one crossing it, and offsets that wrap when added.
  const std::size_t lastEntry = 12 + 16 * 4;
  const std::uint32_t postOffset = LoadU32(good.data() + lastEntry + 8);
  const std::uint32_t fileSize = static_cast<std::uint32_t>(good.size());
  for (auto [offset, length] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
           {fileSize + 4, 4}, {postOffset, fileSize - postOffset + 1}, {0xFFFFFFF0u, 0x20}, {4, 0xFFFFFFFFu}}) {
    std::vector<std::uint8_t> bad = good;
    test_support::PutU32(bad, lastEntry + 8, offset);
    test_support::PutU32(bad, lastEntry + 12, length);
    EXPECT_EQ(Load(font, bad), 1) << offset << "+" << length;
    EXPECT_TRUE(font.tables.empty());
  }
  // A table that ends exactly at the end of the file (no padding after it),
  // and an empty table right at the end, are inside.
  std::vector<std::uint8_t> unpadded = good;
  unpadded.resize(postOffset + 17);
  EXPECT_EQ(Load(font, unpadded), 0);
  EXPECT_EQ(font.tables[4]->PaddedData().size(), 17u);
  std::vector<std::uint8_t> emptyAtEnd = good;
  test_support::PutU32(emptyAtEnd, lastEntry + 8, fileSize);
  test_support::PutU32(emptyAtEnd, lastEntry + 12, 0);
  EXPECT_EQ(Load(font, emptyAtEnd), 0);
}

TEST(FontReader, ReportsStepsWithTheirTexts) {
  ProgressRecorder recorder;
  COpenTypeFont font;
  EXPECT_EQ(font.ReadFontImage(BuildFont(KnownTables()), "/fonts/Sample Font.otf", ProgressRecorder::Callback,
                               &recorder, 3, 1),
            0);
  ASSERT_EQ(recorder.reports.size(), 3u);
  const std::string title = "/fonts/Sample Font.otfの改訂をしています。";
  EXPECT_EQ(recorder.reports[0].step, 10);
  EXPECT_EQ(recorder.reports[0].overall, 33 + 3);
  EXPECT_EQ(recorder.reports[0].line1, title);
  EXPECT_EQ(recorder.reports[0].line2, "Sample Fontのファイルをオープンしています。");
  EXPECT_EQ(recorder.reports[1].step, 20);
  EXPECT_EQ(recorder.reports[1].overall, 33 + 6);
  EXPECT_EQ(recorder.reports[1].line2, "Sample Fontのファイルを読み込んでいます。");
  EXPECT_EQ(recorder.reports[2].step, 30);
  EXPECT_EQ(recorder.reports[2].overall, 33 + 10);
  EXPECT_EQ(recorder.reports[2].line1, title);
  EXPECT_EQ(recorder.reports[2].line2, "タグデータを読み込みました。");
  // The last of 381 fonts.
  recorder.reports.clear();
  EXPECT_EQ(font.ReadFontImage(BuildFont(KnownTables()), "a.otf", ProgressRecorder::Callback, &recorder, 381, 380), 0);
  ASSERT_EQ(recorder.reports.size(), 3u);
  EXPECT_EQ(recorder.reports[2].overall, 99);
}

TEST(FontReader, StopAtAnyStepGivesSix) {
  for (int stop : {10, 20, 30}) {
    ProgressRecorder recorder;
    recorder.stopAtStep = stop;
    COpenTypeFont font;
    EXPECT_EQ(Load(font, BuildFont(KnownTables()), &recorder), 6) << stop;
    EXPECT_EQ(recorder.Steps().back(), stop);
    EXPECT_TRUE(font.tables.empty());
  }
  // A file that is not 'OTTO' can still be stopped at step 30.
  std::vector<std::uint8_t> trueType = BuildFont(KnownTables());
  test_support::PutU32(trueType, 0, 0x00010000);
  ProgressRecorder recorder;
  recorder.stopAtStep = 30;
  COpenTypeFont font;
  EXPECT_EQ(Load(font, trueType, &recorder), 6);
}

TEST(FontReader, WithoutAWindowNothingIsReportedOrStopped) {
  ProgressRecorder recorder;
  recorder.stopAtStep = 10;
  COpenTypeFont font;
  EXPECT_EQ(font.ReadFontImage(BuildFont(KnownTables()), "a.otf", ProgressRecorder::Callback, nullptr, 1, 0), 0);
  EXPECT_TRUE(recorder.reports.empty());
}

TEST(FontReader, FilesThatCannotBeReadAreRefusedWithoutReports) {
  test_support::ScratchFolder scratch;
  test_support::WriteBytes(scratch.File("empty.otf"), {});
  for (const std::string& path : {scratch.File("missing.otf"), scratch.File("empty.otf"), scratch.Path()}) {
    ProgressRecorder recorder;
    COpenTypeFont font;
    EXPECT_EQ(font.ReadFontFile(path, ProgressRecorder::Callback, &recorder, 1, 0), 1) << path;
    EXPECT_TRUE(recorder.reports.empty());
  }
  test_support::WriteBytes(scratch.File("good.otf"), BuildFont(KnownTables()));
  COpenTypeFont font;
  EXPECT_EQ(font.ReadFontFile(scratch.File("good.otf"), nullptr, nullptr, 1, 0), 0);
  EXPECT_EQ(font.fileName, "good.otf");
  EXPECT_EQ(font.tables.size(), 5u);
}

TEST(FontReader, ReadingAgainReleasesTheFirstFont) {
  COpenTypeFont font;
  ASSERT_EQ(Load(font, BuildFont(KnownTables())), 0);
  std::vector<CraftedTable> two = KnownTables();
  two.resize(2);
  ASSERT_EQ(Load(font, BuildFont(two)), 0);
  EXPECT_EQ(font.header.numTables, 2);
  ExpectConsistentTables(font);
  // A second read that fails early keeps nothing of the first font.
  EXPECT_EQ(Load(font, {}), 1);
  EXPECT_TRUE(font.tables.empty());
  EXPECT_EQ(font.header.numTables, 0);
  EXPECT_EQ(font.header.fontKind, -1);
  EXPECT_EQ(font.fileLength, 0);
  font.ReleaseFont();
  font.ReleaseFont();
  EXPECT_TRUE(font.fileImage.empty());
}

}  // namespace
