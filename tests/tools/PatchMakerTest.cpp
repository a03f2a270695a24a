// The patch maker on real and crafted font pairs: make, apply with the
// updater's code, compare bytes; every patch checked against the layout rules
// of shipped patches; and the fonts it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "font/BigEndian.h"
#include "font/FontWords.h"
#include "font/OpenTypeFont.h"
#include "patch/MakeSabunData.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"
#include "tests/tools/ToolsTestFonts.h"
#include "tools/authoring/FontLayout.h"
#include "tools/authoring/PatchMaker.h"
#include "tools/authoring/UpdaterApply.h"

namespace {

using authoring::MakeResult;
using authoring::TableForm;
using tools_test::Bytes;

std::uint32_t Align4(std::uint64_t n) { return static_cast<std::uint32_t>((n + 3) / 4 * 4); }

// Checks `patch` against every rule a shipped patch follows, for the pair it
// was made from.
void ExpectShippedLayout(const Bytes& patch, const Bytes& oldImage, const Bytes& newImage) {
  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  COpenTypeFont oldFont;
  COpenTypeFont newFont;
  ASSERT_EQ(oldFont.ReadFontImage(oldImage, "old.otf", nullptr, nullptr, 1, 0), 0);
  ASSERT_EQ(newFont.ReadFontImage(newImage, "new.otf", nullptr, nullptr, 1, 0), 0);

  // The header: what the search reads from the installed font.
  std::uint32_t revision = 0;
  std::string name;
  COpenTypeFont probe;
  ASSERT_TRUE(probe.ReadFontIdentityImage(oldImage, revision, name));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.fontName)), name);
  for (std::size_t i = name.size(); i < kPatchFontNameSize; ++i) EXPECT_EQ(data.fontName[i], 0);
  EXPECT_EQ(data.oldRevision, revision);
  for (std::uint8_t b : data.reserved) EXPECT_EQ(b, 0);
  const std::size_t count = data.tableCount;
  ASSERT_EQ(count, newFont.tables.size());

  // Records in newIndex order with tags ascending.
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(data.records[i]->record.newIndex, i);
    if (i > 0) {
      EXPECT_LT(std::memcmp(data.records[i - 1]->record.tag, data.records[i]->record.tag, 4), 0);
    }
  }
  // Tables back to back in fileOrder after the directory, each on a
  // multiple of 4; the file ends with the last one rounded up to 4.
  std::vector<const CSabunTagObject*> byOrder;
  for (const auto& record : data.records) byOrder.push_back(record.get());
  std::sort(byOrder.begin(), byOrder.end(), [](auto* a, auto* b) { return a->record.fileOrder < b->record.fileOrder; });
  std::uint64_t at = 12 + 16 * count;
  for (std::size_t k = 0; k < count; ++k) {
    EXPECT_EQ(byOrder[k]->record.fileOrder, k);
    EXPECT_EQ(byOrder[k]->record.newOffset, at) << byOrder[k]->tag;
    at = Align4(at + byOrder[k]->record.newLength);
  }
  EXPECT_EQ(data.newFileSize, at);

  // Blocks right after the records, in record order, the patch ending with
  // the last; in each, segments ascending and covering the table once.
  std::size_t next = kPatchHeaderSize + kPatchRecordSize * count;
  for (const auto& record : data.records) {
    const CTagObject* oldTable = oldFont.FindTagObject(record->tag);
    const CTagObject* newTable = newFont.FindTagObject(record->tag);
    ASSERT_NE(oldTable, nullptr);
    ASSERT_NE(newTable, nullptr);
    EXPECT_EQ(record->record.newLength, newTable->length);
    const bool same =
        oldTable->length == newTable->length && std::memcmp(oldTable->data, newTable->data, newTable->length) == 0;
    if (record->record.dataOffset == 0) {
      EXPECT_TRUE(same) << record->tag << " kept though it changed";
      continue;
    }
    EXPECT_EQ(record->record.dataOffset, next) << record->tag;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    std::size_t blockSize = 8 + 12 * record->oldSegments.GetSize();
    for (std::size_t k = 0; k < record->oldSegments.GetSize(); ++k) {
      const COldTagObject* segment = record->oldSegments[k];
      if (k > 0) {
        EXPECT_LT(record->oldSegments[k - 1]->dstOffset, segment->dstOffset);
      }
      EXPECT_LE(std::uint64_t{segment->srcOffset} + segment->length, oldTable->length);
      ranges.emplace_back(segment->dstOffset, segment->length);
    }
    for (std::size_t k = 0; k < record->newSegments.size(); ++k) {
      const CNewTagObject& segment = *record->newSegments[k];
      if (k > 0) {
        EXPECT_LT(record->newSegments[k - 1]->dstOffset, segment.dstOffset);
      }
      ranges.emplace_back(segment.dstOffset, segment.length);
      blockSize += 8 + segment.length;
    }
    std::sort(ranges.begin(), ranges.end());
    std::uint64_t covered = 0;
    for (const auto& [dst, length] : ranges) {
      EXPECT_EQ(dst, covered) << record->tag;
      covered = std::uint64_t{dst} + length;
    }
    EXPECT_EQ(covered, newTable->length) << record->tag;
    if (std::strcmp(record->tag, "maxp") == 0) {
      EXPECT_EQ(record->oldSegments.GetSize(), 0u);
      EXPECT_EQ(record->newSegments.size(), 1u);
    }
    next += blockSize;
  }
  EXPECT_EQ(next, patch.size());
}

MakeResult MakeChecked(const Bytes& oldImage, const Bytes& newImage) {
  MakeResult result;
  std::string error;
  EXPECT_TRUE(authoring::MakePatch(oldImage, newImage, result, error)) << error;
  if (!result.patch.empty()) ExpectShippedLayout(result.patch, oldImage, newImage);
  return result;
}

// The round trip: the patch applied by the updater's code gives the revised
// font byte for byte.
void ExpectRoundTrip(const Bytes& oldImage, const Bytes& newImage, const MakeResult& result) {
  Bytes revised;
  std::string error;
  ASSERT_TRUE(authoring::ApplyWithUpdater(oldImage, result.patch, revised, error)) << error;
  EXPECT_TRUE(revised == newImage);
  EXPECT_TRUE(result.byteIdentical);
  EXPECT_TRUE(result.notes.empty());
}

TableForm FormOf(const MakeResult& result, const std::string& tag) {
  for (const auto& table : result.tables) {
    if (table.tag == tag) return table.form;
  }
  ADD_FAILURE() << "no table " << tag;
  return TableForm::kKeep;
}

std::string Refusal(const Bytes& oldImage, const Bytes& newImage) {
  MakeResult result;
  std::string error;
  EXPECT_FALSE(authoring::MakePatch(oldImage, newImage, result, error));
  EXPECT_TRUE(result.patch.empty());
  return error;
}

// "" when the patch was made, the reason otherwise.
std::string MakeError(const Bytes& oldImage, const Bytes& newImage) {
  MakeResult result;
  std::string error;
  return authoring::MakePatch(oldImage, newImage, result, error) ? std::string() : "refused: " + error;
}

TEST(PatchMaker, CraftedPairUsesEveryForm) {
  const Bytes cff = tools_test::RandomBytes(6000, 1);
  Bytes newCff(cff.begin() + 3000, cff.end());                   // the second half moves to the front
  newCff.insert(newCff.end(), cff.begin(), cff.begin() + 1000);  // then part of the first half
  const Bytes added = tools_test::RandomBytes(300, 2);           // then new outlines
  newCff.insert(newCff.end(), added.begin(), added.end());
  const Bytes oldImage = tools_test::SmallFont("Test Gothic W3", 0x00010000, cff, 100);
  const Bytes newImage = tools_test::SmallFont("Test Gothic W3", 0x00010042, newCff, 120);
  const MakeResult result = MakeChecked(oldImage, newImage);
  ExpectRoundTrip(oldImage, newImage, result);
  EXPECT_EQ(result.fontName, "Test Gothic W3");
  EXPECT_EQ(result.oldRevision, 0x00010000u);
  EXPECT_EQ(result.newRevision, 0x00010042u);
  EXPECT_EQ(FormOf(result, "post"), TableForm::kKeep);
  EXPECT_EQ(FormOf(result, "name"), TableForm::kKeep);
  EXPECT_EQ(FormOf(result, "maxp"), TableForm::kReplaceWhole);
  EXPECT_EQ(FormOf(result, "CFF "), TableForm::kDifference);
  EXPECT_EQ(FormOf(result, "head"), TableForm::kDifference);
  EXPECT_EQ(FormOf(result, "hmtx"), TableForm::kDifference);
  for (const auto& table : result.tables) {
    if (table.tag == "CFF ") {
      EXPECT_EQ(table.oldSegments, 2u);
      EXPECT_EQ(table.carriedBytes, 300u);
    }
  }
}

TEST(PatchMaker, RealFacesOfNotoSansCjk) {
  // The Japanese and the Korean face share their CFF table; cmap, GSUB,
  // OS/2 and the rest differ. Over 16 MB each.
  const Bytes japanese = tools_test::NotoFace(0, "Noto Sans CJK Test", 0x00020000);
  if (japanese.empty()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  const Bytes korean = tools_test::NotoFace(1, "Noto Sans CJK Test", 0x00020100);
  const MakeResult result = MakeChecked(japanese, korean);
  ExpectRoundTrip(japanese, korean, result);
  EXPECT_EQ(FormOf(result, "CFF "), TableForm::kKeep);
  EXPECT_EQ(FormOf(result, "GSUB"), TableForm::kDifference);
  EXPECT_EQ(FormOf(result, "cmap"), TableForm::kDifference);
  EXPECT_LT(result.patch.size(), korean.size() / 20);
}

TEST(PatchMaker, RealCffWithEditedMovedAndAddedOutlines) {
  const Bytes face = tools_test::NotoFace(0, "Noto Sans CJK Test", 0x00020000);
  if (face.empty()) GTEST_SKIP() << "fonts-noto-cjk is not installed";
  Bytes cff = tools_test::TableOf(face, "CFF ");
  ASSERT_GT(cff.size(), 15'000'000u);
  // Outlines rewritten in place, a block of 200 KB moved towards the end,
  // new bytes inserted, and glyphs added (maxp).
  const Bytes rewritten = tools_test::RandomBytes(120, 3);
  std::copy(rewritten.begin(), rewritten.end(), cff.begin() + 5'000'000);
  Bytes moved(cff.begin() + 2'000'000, cff.begin() + 2'200'000);
  cff.erase(cff.begin() + 2'000'000, cff.begin() + 2'200'000);
  cff.insert(cff.begin() + 12'000'000, moved.begin(), moved.end());
  const Bytes inserted = tools_test::RandomBytes(1000, 4);
  cff.insert(cff.begin() + 8'000'000, inserted.begin(), inserted.end());
  Bytes maxp = tools_test::TableOf(face, "maxp");
  StoreU16(maxp.data() + 4, static_cast<std::uint16_t>(LoadU16(maxp.data() + 4) - 3));
  const Bytes revised = tools_test::RebuildFont(face, {{"CFF ", cff}, {"maxp", maxp}}, 0x00020200);

  const MakeResult result = MakeChecked(face, revised);
  ExpectRoundTrip(face, revised, result);
  EXPECT_EQ(FormOf(result, "maxp"), TableForm::kReplaceWhole);
  for (const auto& table : result.tables) {
    if (table.tag != "CFF ") continue;
    EXPECT_EQ(table.form, TableForm::kDifference);
    EXPECT_LE(table.oldSegments, 6u);
    EXPECT_LE(table.carriedBytes, 1120u + 16u);
  }
  EXPECT_LT(result.patch.size(), 4000u);
}

// A revised font that is not laid out as a patch lays it out: the patch
// rebuilds it in that layout, with the same tables and right checksums.
TEST(PatchMaker, LaysOutRevisedFontsThatDepartFromTheLayout) {
  const Bytes oldImage = tools_test::SmallFont("Test Mincho W5", 0x00010000, tools_test::RandomBytes(3000, 5));
  const Bytes base = tools_test::SmallFont("Test Mincho W5", 0x00020000, tools_test::RandomBytes(3100, 6));

  Bytes unsorted;
  {
    // The directory not in tag order.
    COpenTypeFont font;
    ASSERT_EQ(font.ReadFontImage(base, "base.otf", nullptr, nullptr, 1, 0), 0);
    std::vector<test_support::CraftedTable> tables;
    for (const auto& table : font.tables) {
      tables.push_back({table->tagText, Bytes(table->data, table->data + table->length)});
    }
    std::rotate(tables.begin(), tables.begin() + 3, tables.end());
    unsorted = test_support::BuildFont(tables);
    tools_test::FixCheckSums(unsorted);
  }
  Bytes trailing = base;
  trailing.insert(trailing.end(), 8, 0);
  Bytes wrongSum = base;
  StoreU32(wrongSum.data() + 12 + 4, LoadU32(wrongSum.data() + 12 + 4) + 1);  // the CFF entry
  Bytes gap = tools_test::RebuildFont(base, {}, 0);
  {
    // Move the last table 8 bytes on and leave a gap before it.
    COpenTypeFont font;
    ASSERT_EQ(font.ReadFontImage(gap, "gap.otf", nullptr, nullptr, 1, 0), 0);
    const CTagObject* last = font.tablesByOffset[font.tablesByOffset.GetSize() - 1];
    const std::size_t entry = static_cast<std::size_t>(last->entry - font.Image().data());
    const std::uint32_t offset = last->offset;
    gap.insert(gap.begin() + offset, 8, 0);
    StoreU32(gap.data() + entry + 8, offset + 8);
    tools_test::FixCheckSums(gap);
  }
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"directory order", unsorted}, {"trailing bytes", trailing}, {"wrong checksum", wrongSum}, {"gap", gap}};
  for (const auto& [what, newImage] : cases) {
    SCOPED_TRACE(what);
    const MakeResult result = MakeChecked(oldImage, newImage);
    EXPECT_FALSE(result.notes.empty());
    Bytes revised;
    std::string error;
    ASSERT_TRUE(authoring::ApplyWithUpdater(oldImage, result.patch, revised, error)) << error;
    EXPECT_FALSE(result.byteIdentical);
    EXPECT_NE(revised, newImage);
    COpenTypeFont got;
    COpenTypeFont want;
    ASSERT_EQ(got.ReadFontImage(revised, "got.otf", nullptr, nullptr, 1, 0), 0);
    ASSERT_EQ(want.ReadFontImage(newImage, "want.otf", nullptr, nullptr, 1, 0), 0);
    for (const auto& table : want.tables) {
      const CTagObject* same = got.FindTagObject(table->tagText);
      ASSERT_NE(same, nullptr);
      if (std::strcmp(table->tagText, "head") == 0) continue;
      EXPECT_TRUE(same->length == table->length && std::memcmp(same->data, table->data, table->length) == 0)
          << table->tagText;
    }
    std::vector<std::string> problems;
    EXPECT_TRUE(authoring::ChecksumsAreRight(got, problems));
  }
}

// Any physical order of the tables is a shipped layout as long as they lie
// back to back: such a font comes back byte for byte.
TEST(PatchMaker, KeepsTheRevisedFontsPhysicalOrder) {
  const Bytes oldImage = tools_test::SmallFont("Test Mincho W5", 0x00010000, tools_test::RandomBytes(3000, 5));
  const Bytes base = tools_test::SmallFont("Test Mincho W5", 0x00020000, tools_test::RandomBytes(3100, 6));
  const Bytes reversed = tools_test::RebuildFont(base, {}, 0, {8, 7, 6, 5, 4, 3, 2, 1, 0});
  const MakeResult result = MakeChecked(oldImage, reversed);
  ExpectRoundTrip(oldImage, reversed, result);
}

// A table equal in both fonts whose padding in the installed file is not zero
// cannot be kept: the updater's checksum of a kept table covers that padding.
TEST(PatchMaker, UnchangedTableWithDirtyPaddingIsNotKept) {
  Bytes oldImage = tools_test::SmallFont("Test Serif", 0x00010000, tools_test::RandomBytes(3001, 7));
  const Bytes newImage = tools_test::SmallFont("Test Serif", 0x00010001, tools_test::RandomBytes(3001, 7));
  COpenTypeFont font;
  ASSERT_EQ(font.ReadFontImage(oldImage, "old.otf", nullptr, nullptr, 1, 0), 0);
  const CTagObject* cff = font.FindTagObject("CFF ");
  oldImage[cff->offset + 3001] = 0xEE;
  tools_test::FixCheckSums(oldImage);
  const MakeResult result = MakeChecked(oldImage, newImage);
  ExpectRoundTrip(oldImage, newImage, result);
  EXPECT_EQ(FormOf(result, "CFF "), TableForm::kDifference);
}

TEST(PatchMaker, RefusesFontsItCannotPatch) {
  const Bytes good = tools_test::SmallFont("Test Gothic", 0x00010000, tools_test::RandomBytes(500, 8));
  const Bytes revised = tools_test::SmallFont("Test Gothic", 0x00010100, tools_test::RandomBytes(500, 9));

  Bytes trueType = good;
  StoreU32(trueType.data(), 0x00010000);
  EXPECT_NE(Refusal(trueType, revised).find("TrueType"), std::string::npos);

  EXPECT_NE(Refusal(good, Bytes(good.begin(), good.begin() + 200)).find("past the end"), std::string::npos);

  // A collection is refused; one face out of it, named only in Windows
  // records, and a FontForge font with its 'FFTM' table are taken.
  if (test_support::HostFileExists(tools_test::kSansCollection)) {
    const Bytes collection = test_support::ReadBytes(test_support::HostPath(tools_test::kSansCollection));
    EXPECT_NE(Refusal(good, collection).find("collection"), std::string::npos);
    const Bytes face = test_support::ExtractCollectionFace(collection, 0);
    EXPECT_EQ(MakeError(face, tools_test::RebuildFont(face, {}, 0x00030000)), "");
  }
  const std::string libertine = "/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf";
  if (test_support::HostFileExists(libertine)) {
    const Bytes font = test_support::ReadBytes(test_support::HostPath(libertine));
    EXPECT_NE(Refusal(font, font).find("patch it twice"), std::string::npos);
  }

  // A revised font with a table more is taken (the table is added).
  Bytes withGdef = tools_test::RebuildFont(revised, {});
  {
    COpenTypeFont font;
    ASSERT_EQ(font.ReadFontImage(revised, "r.otf", nullptr, nullptr, 1, 0), 0);
    std::vector<test_support::CraftedTable> tables;
    for (const auto& table : font.tables)
      tables.push_back({table->tagText, Bytes(table->data, table->data + table->length)});
    tables.insert(tables.begin(), {"GDEF", Bytes(12, 0)});
    withGdef = test_support::BuildFont(tables);
    tools_test::FixCheckSums(withGdef);
  }
  EXPECT_EQ(MakeError(good, withGdef), "");
  // A revision that goes down, unless it is allowed.
  const std::string down = Refusal(revised, good);
  EXPECT_NE(down.find("revision 1.000 is below the installed font's 1.004"), std::string::npos) << down;
  {
    MakeResult result;
    std::string error;
    authoring::MakeOptions options;
    options.allowDowngrade = true;
    EXPECT_TRUE(authoring::MakePatch(revised, good, result, error, options)) << error;
  }

  // More than 255 tables.
  std::vector<test_support::CraftedTable> many;
  for (int i = 0; i < 256; ++i) {
    char tag[5];
    std::snprintf(tag, sizeof tag, "p%03d", i);  // each tag once: a tag twice is refused by the reader
    many.push_back({tag, Bytes(32, 0)});
  }
  EXPECT_NE(Refusal(test_support::BuildFont(many), revised).find("255"), std::string::npos);

  // A name longer than the 63 bytes a patch holds.
  const Bytes longName = tools_test::SmallFont(std::string(64, 'L'), 0x00010000, tools_test::RandomBytes(500, 8));
  EXPECT_NE(Refusal(longName, revised).find("at most 63"), std::string::npos);

  // The revised font would be found again as the installed one.
  const Bytes sameIdentity = tools_test::SmallFont("Test Gothic", 0x00010000, tools_test::RandomBytes(500, 9));
  EXPECT_NE(Refusal(good, sameIdentity).find("patch it twice"), std::string::npos);
}

TEST(PatchMaker, NotesAChangedFullName) {
  const Bytes good = tools_test::SmallFont("Test Gothic", 0x00010000, tools_test::RandomBytes(500, 8));
  const Bytes renamed = tools_test::SmallFont("Test Gothic Pro", 0x00010100, tools_test::RandomBytes(500, 8));
  MakeResult result;
  std::string error;
  ASSERT_TRUE(authoring::MakePatch(good, renamed, result, error)) << error;
  const bool noted = std::any_of(result.notes.begin(), result.notes.end(), [](const std::string& note) {
    return note.find("full name changes from \"Test Gothic\" to \"Test Gothic Pro\"") != std::string::npos;
  });
  EXPECT_TRUE(noted);
  EXPECT_TRUE(result.byteIdentical);
}

TEST(PatchMaker, WritesThePatchFileOnlyWhenMade) {
  test_support::ScratchFolder folder;
  const Bytes good = tools_test::SmallFont("Test Gothic", 0x00010000, tools_test::RandomBytes(500, 10));
  const Bytes revised = tools_test::SmallFont("Test Gothic", 0x00010100, tools_test::RandomBytes(500, 11));
  Bytes trueType = good;
  StoreU32(trueType.data(), 0x00010000);
  test_support::WriteBytes(folder.File("old.otf"), good);
  test_support::WriteBytes(folder.File("new.otf"), revised);
  test_support::WriteBytes(folder.File("tt.otf"), trueType);

  MakeResult result;
  std::string error;
  EXPECT_FALSE(
      authoring::MakePatchFile(folder.File("tt.otf"), folder.File("new.otf"), folder.File("bad.pa"), result, error));
  EXPECT_FALSE(std::filesystem::exists(folder.File("bad.pa")));
  EXPECT_FALSE(authoring::MakePatchFile(folder.File("missing.otf"), folder.File("new.otf"), folder.File("bad.pa"),
                                        result, error));
  EXPECT_NE(error.find("missing.otf"), std::string::npos);

  ASSERT_TRUE(
      authoring::MakePatchFile(folder.File("old.otf"), folder.File("new.otf"), folder.File("good.pa"), result, error))
      << error;
  EXPECT_EQ(test_support::ReadBytes(folder.File("good.pa")), result.patch);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 4);  // no partial file left
}

}  // namespace
