// Reading patches: the header probe, the records, the difference blocks, and
// the refusal of every patch whose counts or lengths run past its end or
// declare more than it can give.
#include <gtest/gtest.h>

#include "font/OpenTypeFont.h"
#include "font/OpenTypeObject.h"
#include "patch/MakeSabunData.h"
#include "platform/Resources.h"
#include "tests/patch/PatchBytes.h"
#include "tests/support/TestFiles.h"

namespace {

using test_patch::Diff;
using test_patch::Keep;
using test_patch::Put32;
using test_patch::Record;

std::vector<std::uint8_t> Hex(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

// Thirteen kept records in tag order, "head" the eighth (newIndex 7).
const char* const kThirteenTags[] = {"BASE", "CFF ", "DSIG", "GDEF", "GPOS", "GSUB", "OS/2",
                                     "head", "hhea", "hmtx", "maxp", "name", "post"};

std::vector<Record> ThirteenKeptRecords() {
  std::vector<Record> records;
  for (int i = 0; i < 13; ++i) {
    Record r;
    r.tag = kThirteenTags[i];
    r.newIndex = static_cast<std::uint8_t>(i);
    r.fileOrder = static_cast<std::uint8_t>(i);
    records.push_back(r);
  }
  return records;
}

// The head record of a 13-table patch and its 72-byte block, exactly as
// the maker's patches store them.
const std::vector<std::uint8_t> kHeadRecord =
    Hex({0x68, 0x65, 0x61, 0x64, 0x07, 0x00, 0x00, 0x00, 0x01, 0x3F, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00, 0xDC});
const std::vector<std::uint8_t> kHeadBlock = Hex({
    0x00, 0x00, 0x00, 0x02,                                                  // two old segments
    0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x0C,  // 12 at 12 -> 12
    0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00, 0x12, 0x00, 0x00, 0x00, 0x24,  // 18 at 36 -> 36
    0x00, 0x00, 0x00, 0x02,                                                  // two new segments
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C,                          // 12 bytes at 0
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x41, 0x88, 0x93, 0x72, 0x5A,  //
    0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x0C,                          // 12 bytes at 24
    0xDF, 0x3D, 0x95, 0x10, 0x00, 0x00, 0x00, 0x00, 0xDF, 0x3D, 0x95, 0x10,  //
});

std::vector<std::uint8_t> HeadExamplePatch() {
  std::vector<std::uint8_t> patch = test_patch::Build("VeldFont-W3", 0x00010000, 0x4000, ThirteenKeptRecords());
  EXPECT_EQ(patch.size(), 319u);
  std::copy(kHeadRecord.begin(), kHeadRecord.end(), patch.begin() + 85 + 18 * 7);
  patch.insert(patch.end(), kHeadBlock.begin(), kHeadBlock.end());
  return patch;
}

TEST(MakeSabunData, ReadsTheHeadRecordAndItsBlockOfTheMakersPatches) {
  const std::vector<std::uint8_t> patch = HeadExamplePatch();
  ASSERT_EQ(patch.size(), 391u);  // the next block would start at 391
  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  EXPECT_EQ(data.kind, kind_code::kPatch);
  EXPECT_EQ(data.tableCount, 13);
  EXPECT_EQ(data.newFileSize, 0x4000u);
  EXPECT_EQ(data.oldRevision, 0x00010000u);
  EXPECT_EQ(data.patchSize, 391u);
  ASSERT_EQ(data.patchBytes.size(), 392u);
  EXPECT_EQ(data.patchBytes.back(), 0);
  ASSERT_EQ(data.records.size(), 13u);

  const CSabunTagObject* head = data.FindRecordByIndex(7);
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->kind, kind_code::kPatchRecord);
  EXPECT_STREQ(head->tag, "head");
  EXPECT_EQ(head->record.newIndex, 7);
  EXPECT_EQ(head->record.fileOrder, 0);
  EXPECT_EQ(head->record.dataOffset, 319u);
  EXPECT_EQ(head->record.newLength, 54u);
  EXPECT_EQ(head->record.newOffset, 220u);
  EXPECT_EQ(head->hasDifference, 1);
  ASSERT_EQ(head->oldSegments.GetSize(), 2u);
  EXPECT_EQ(head->oldSegments[0]->kind, kind_code::kOldSegment);
  EXPECT_EQ(head->oldSegments[0]->srcOffset, 12u);
  EXPECT_EQ(head->oldSegments[0]->length, 12u);
  EXPECT_EQ(head->oldSegments[0]->dstOffset, 12u);
  EXPECT_EQ(head->oldSegments[1]->srcOffset, 36u);
  EXPECT_EQ(head->oldSegments[1]->length, 18u);
  EXPECT_EQ(head->oldSegments[1]->dstOffset, 36u);
  ASSERT_EQ(head->newSegments.size(), 2u);
  EXPECT_EQ(head->newSegments[0]->kind, kind_code::kNewSegment);
  EXPECT_EQ(head->newSegments[0]->dstOffset, 0u);
  EXPECT_EQ(head->newSegments[0]->length, 12u);
  EXPECT_EQ(std::vector<std::uint8_t>(head->newSegments[0]->Bytes().begin(), head->newSegments[0]->Bytes().end()),
            Hex({0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x41, 0x88, 0x93, 0x72, 0x5A}));
  // The bytes are the patch's own, not a copy.
  EXPECT_GE(head->newSegments[0]->Bytes().data(), data.patchBytes.data());
  EXPECT_LE(head->newSegments[0]->Bytes().data() + 12, data.patchBytes.data() + data.patchBytes.size());
  EXPECT_EQ(head->newSegments[1]->dstOffset, 24u);
  EXPECT_EQ(std::vector<std::uint8_t>(head->newSegments[1]->Bytes().begin(), head->newSegments[1]->Bytes().end()),
            Hex({0xDF, 0x3D, 0x95, 0x10, 0x00, 0x00, 0x00, 0x00, 0xDF, 0x3D, 0x95, 0x10}));

  // The kept records around it have no block.
  for (int i : {0, 6, 8, 12}) {
    const CSabunTagObject* kept = data.FindRecordByIndex(i);
    ASSERT_NE(kept, nullptr);
    EXPECT_STREQ(kept->tag, kThirteenTags[i]);
    EXPECT_EQ(kept->hasDifference, 0);
    EXPECT_EQ(kept->record.dataOffset, 0u);
    EXPECT_TRUE(kept->oldSegments.IsEmpty());
    EXPECT_TRUE(kept->newSegments.empty());
  }
}

TEST(MakeSabunData, ReadsAWholeReplacementFarIntoThePatch) {
  // The maxp record points at 168,136: no old segment, one new of 6 bytes.
  std::vector<Record> records = ThirteenKeptRecords();
  std::vector<std::uint8_t> patch = test_patch::Build("VeldFont-W3", 0x00010000, 0x4000, records);
  const std::vector<std::uint8_t> maxpRecord =
      Hex({0x6D, 0x61, 0x78, 0x70, 0x09, 0x02, 0x00, 0x02, 0x90, 0xC8, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x01, 0x28});
  std::copy(maxpRecord.begin(), maxpRecord.end(), patch.begin() + 85 + 18 * 10);
  patch.resize(168136, 0x5A);  // bytes no record points at
  const std::vector<std::uint8_t> block = Hex({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                                               0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x50, 0x00, 0x03, 0xF1});
  patch.insert(patch.end(), block.begin(), block.end());

  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  ASSERT_EQ(data.records.size(), 13u);
  const CSabunTagObject* maxp = data.records[10].get();
  EXPECT_STREQ(maxp->tag, "maxp");
  EXPECT_EQ(maxp->record.newIndex, 9);
  EXPECT_EQ(maxp->record.fileOrder, 2);
  EXPECT_EQ(maxp->record.dataOffset, 168136u);
  EXPECT_EQ(maxp->record.newLength, 6u);
  EXPECT_EQ(maxp->record.newOffset, 296u);
  EXPECT_EQ(maxp->hasDifference, 1);
  EXPECT_TRUE(maxp->oldSegments.IsEmpty());
  ASSERT_EQ(maxp->newSegments.size(), 1u);
  EXPECT_EQ(maxp->newSegments[0]->dstOffset, 0u);
  EXPECT_EQ(std::vector<std::uint8_t>(maxp->newSegments[0]->Bytes().begin(), maxp->newSegments[0]->Bytes().end()),
            Hex({0x00, 0x00, 0x50, 0x00, 0x03, 0xF1}));
}

TEST(MakeSabunData, ProbesTheHeaderOnly) {
  std::vector<std::uint8_t> patch = HeadExamplePatch();
  std::string name;
  std::uint32_t revision = 0;
  ASSERT_TRUE(CMakeSabunData::ReadPatchHeaderBytes(patch, name, revision));
  EXPECT_EQ(name, "VeldFont-W3");
  EXPECT_EQ(revision, 0x00010000u);

  // "VKTP" passes whatever follows, even records that could not be loaded.
  std::vector<std::uint8_t> junk(85, 0xEE);
  std::memcpy(junk.data(), "VKTP", 4);
  ASSERT_TRUE(CMakeSabunData::ReadPatchHeaderBytes(junk, name, revision));
  EXPECT_EQ(name.size(), 64u);  // no zero in the name field: all 64 bytes
  EXPECT_EQ(revision, 0xEEEEEEEEu);
  CMakeSabunData data;
  EXPECT_FALSE(data.LoadPatchBytes(junk));

  // Any other four bytes fail, the first three letters with a zero too.
  for (const char* magic : {"VKT\0", "vktp", "VKTQ", "OTTO"}) {
    std::vector<std::uint8_t> other = patch;
    std::memcpy(other.data(), magic, 4);
    name = "unchanged";
    EXPECT_FALSE(CMakeSabunData::ReadPatchHeaderBytes(other, name, revision)) << magic;
    EXPECT_EQ(name, "unchanged");
    EXPECT_FALSE(data.LoadPatchBytes(other)) << magic;
  }
  // Shorter than the 85-byte header, or empty: no patch.
  EXPECT_FALSE(CMakeSabunData::ReadPatchHeaderBytes({patch.data(), 84}, name, revision));
  EXPECT_FALSE(CMakeSabunData::ReadPatchHeaderBytes({}, name, revision));
}

TEST(MakeSabunData, ReadsThroughTheProgramsResources) {
  platform::MemoryResources resources;
  resources.Add("FONT_PA", 2001, HeadExamplePatch());
  resources.Add("FONT_PA", 2002, {});
  resources.Add("INIFILE", 2003, HeadExamplePatch());  // another type
  platform::SetResourceSource(&resources);

  CMakeSabunData probe;
  std::string name;
  std::uint32_t revision = 0;
  EXPECT_TRUE(probe.ReadPatchHeader(2001, name, revision));
  EXPECT_EQ(name, "VeldFont-W3");
  EXPECT_TRUE(probe.records.empty());  // the probe leaves the object as it was
  EXPECT_EQ(probe.patchSize, 0u);
  EXPECT_FALSE(probe.ReadPatchHeader(2002, name, revision));
  EXPECT_FALSE(probe.ReadPatchHeader(2003, name, revision));
  EXPECT_FALSE(probe.ReadPatchHeader(2381, name, revision));

  CMakeSabunData data;
  EXPECT_TRUE(data.LoadPatchResource(2001));
  EXPECT_EQ(data.records.size(), 13u);
  EXPECT_FALSE(CMakeSabunData().LoadPatchResource(2002));
  EXPECT_FALSE(CMakeSabunData().LoadPatchResource(2003));
  platform::SetResourceSource(nullptr);
}

TEST(MakeSabunData, EdgeCasesOfRecordsAndBlocks) {
  // No table at all.
  CMakeSabunData empty;
  ASSERT_TRUE(empty.LoadPatchBytes(test_patch::Build("Empty", 1, 12, {})));
  EXPECT_TRUE(empty.records.empty());
  EXPECT_EQ(empty.FindRecordByIndex(0), nullptr);

  // A whole replacement: no old segment, one new one.
  Record replace = Diff("maxp", 0, 0, 6, 12, {}, {{0, {0, 0, 0x50, 0, 0, 9}}});
  CMakeSabunData whole;
  ASSERT_TRUE(whole.LoadPatchBytes(test_patch::Build("F", 1, 20, {replace})));
  EXPECT_TRUE(whole.records[0]->oldSegments.IsEmpty());
  EXPECT_EQ(whole.records[0]->newSegments.size(), 1u);

  // Counts with the top bit set are negative: no segments of that kind, and
  // after a negative old count the new count is read at offset 4.
  Record negative = Diff("head", 0, 0, 4, 12, {}, {{0, {1, 2, 3, 4}}});
  std::vector<std::uint8_t> patch = test_patch::Build("F", 1, 16, {negative});
  const std::size_t block = 85 + 18;
  Put32(patch, block, 0x80000000u);
  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  EXPECT_EQ(data.records[0]->hasDifference, 1);
  EXPECT_TRUE(data.records[0]->oldSegments.IsEmpty());
  ASSERT_EQ(data.records[0]->newSegments.size(), 1u);
  EXPECT_EQ(data.records[0]->newSegments[0]->Bytes()[3], 4);
  Put32(patch, block, 0);
  Put32(patch, block + 4, 0xFFFFFFFFu);
  Put32(patch, 85 + 10, 0);  // without segments the table can have no bytes
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  EXPECT_EQ(data.records[0]->hasDifference, 1);
  EXPECT_TRUE(data.records[0]->oldSegments.IsEmpty());
  EXPECT_TRUE(data.records[0]->newSegments.empty());

  // Two records of one newIndex: the first in stored order is found; an index
  // no record has finds none.
  Record first = Keep("head", 1, 0, 0, 12), second = Keep("name", 1, 1, 0, 12), third = Keep("maxp", 0, 2, 0, 12);
  CMakeSabunData twice;
  ASSERT_TRUE(twice.LoadPatchBytes(test_patch::Build("F", 1, 12, {first, second, third})));
  ASSERT_NE(twice.FindRecordByIndex(1), nullptr);
  EXPECT_STREQ(twice.FindRecordByIndex(1)->tag, "head");
  EXPECT_STREQ(twice.FindRecordByIndex(0)->tag, "maxp");
  EXPECT_EQ(twice.FindRecordByIndex(2), nullptr);
  EXPECT_EQ(twice.FindRecordByIndex(255), nullptr);
  EXPECT_EQ(twice.FindRecordByIndex(-1), nullptr);
}

TEST(MakeSabunData, ReservedBytesChangeNothing) {
  Record head = Diff("head", 0, 0, 54, 28, {{0, 54, 0}}, {{4, {0, 1, 0x80, 0}}});
  CMakeSabunData shipped, other;
  ASSERT_TRUE(shipped.LoadPatchBytes(test_patch::Build("F", 7, 84, {head})));
  ASSERT_TRUE(other.LoadPatchBytes(test_patch::Build("F", 7, 84, {head}, {0xFF, 1, 2, 3, 4, 5, 6, 0x7F})));
  EXPECT_EQ(other.reserved[0], 0xFF);
  EXPECT_EQ(shipped.reserved[4], 0xE1);
  EXPECT_EQ(std::memcmp(shipped.fontName, other.fontName, 64), 0);
  EXPECT_EQ(shipped.newFileSize, other.newFileSize);
  EXPECT_EQ(shipped.oldRevision, other.oldRevision);
  ASSERT_EQ(other.records.size(), 1u);
  EXPECT_EQ(other.records[0]->oldSegments.GetSize(), 1u);
  EXPECT_EQ(other.records[0]->newSegments.size(), 1u);
}

TEST(MakeSabunData, ADataOffsetAtTheEndFailsAfterItsRecordWasRead) {
  Record a = Keep("head", 0, 0, 0, 12), b = Keep("name", 1, 1, 0, 12), c = Keep("maxp", 2, 2, 0, 12);
  std::vector<std::uint8_t> patch = test_patch::Build("F", 1, 12, {a, b, c});
  Put32(patch, 85 + 18 + 6, static_cast<std::uint32_t>(patch.size()));
  CMakeSabunData data;
  EXPECT_FALSE(data.LoadPatchBytes(patch));
  EXPECT_EQ(data.records.size(), 2u);
  Put32(patch, 85 + 18 + 6, 0xFFFFFFFFu);
  EXPECT_FALSE(data.LoadPatchBytes(patch));
  EXPECT_EQ(data.records.size(), 2u);
  data.ClearPatch();
  EXPECT_TRUE(data.records.empty());
  EXPECT_TRUE(data.patchBytes.empty());
  EXPECT_EQ(data.patchSize, 0u);
}

TEST(MakeSabunData, RefusesWhatRunsPastThePatch) {
  CMakeSabunData data;
  Record a = Keep("head", 0, 0, 0, 28), b = Keep("name", 1, 1, 0, 28);
  // The records: a table count one larger than the records present.
  std::vector<std::uint8_t> patch = test_patch::Build("F", 1, 28, {a, b});
  patch[76] = 3;
  EXPECT_FALSE(data.LoadPatchBytes(patch));
  EXPECT_TRUE(data.records.empty());  // refused before a record was read
  patch[76] = 2;
  EXPECT_TRUE(data.LoadPatchBytes(patch));
  patch.pop_back();  // the last record one byte short
  EXPECT_FALSE(data.LoadPatchBytes(patch));

  Record block = Diff("head", 0, 0, 8, 12, {{0, 4, 0}}, {{4, {9, 9, 9, 9}}});
  const std::vector<std::uint8_t> good = test_patch::Build("F", 1, 20, {block});
  const std::size_t at = 85 + 18;  // the block
  ASSERT_TRUE(data.LoadPatchBytes(good));
  // Cut anywhere inside the block: refused, never read past.
  for (std::size_t size = at + 1; size < good.size(); ++size) {
    EXPECT_FALSE(data.LoadPatchBytes({good.data(), size})) << size;
  }
  // Hostile counts are refused at once, before anything is made for them.
  for (std::uint32_t count : {0x7FFFFFFFu, 0x15555556u, 2u}) {
    std::vector<std::uint8_t> hostile = good;
    Put32(hostile, at, count);  // old segments
    EXPECT_FALSE(data.LoadPatchBytes(hostile)) << count;
    hostile = good;
    Put32(hostile, at + 16, count);  // new segments
    EXPECT_FALSE(data.LoadPatchBytes(hostile)) << count;
  }
  // A segment's length past the end, including one that would wrap.
  for (std::uint32_t length : {5u, 0xFFFFFFFFu, 0xFFFFFFF0u}) {
    std::vector<std::uint8_t> hostile = good;
    Put32(hostile, at + 24, length);
    EXPECT_FALSE(data.LoadPatchBytes(hostile)) << length;
  }
}

TEST(MakeSabunData, RecordsSharingOneLargeBlockAreRefused) {
  // Two records pointing at one block would hold its segments twice: a few
  // hundred such records could take far more memory than the patch.
  Record big = Diff("CFF ", 0, 0, 4000, 12, {}, {{0, std::vector<std::uint8_t>(4000, 7)}});
  Record other = Keep("head", 1, 1, 0, 4012);
  std::vector<std::uint8_t> patch = test_patch::Build("F", 1, 4100, {big, other});
  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  // The second record points at the first one's block.
  std::copy(patch.begin() + 85 + 6, patch.begin() + 85 + 10, patch.begin() + 85 + 18 + 6);
  EXPECT_FALSE(data.LoadPatchBytes(patch));
}

TEST(MakeSabunData, DeclaredSizesAreBoundByWhatThePatchCanGive) {
  // A real patch of the demo data, its sizes raised to the edges: every size
  // is allowed up to what its bytes and copies can give, and refused one past.
  const std::vector<std::uint8_t> demo =
      test_support::ReadBytes(test_support::SourcePath("resources/demo/patches/2001.pa"));
  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(demo));
  auto loads = [&](const std::vector<std::uint8_t>& patch, const char* refusal) {
    const bool loaded = data.LoadPatchBytes(patch);
    if (refusal == nullptr) return loaded && data.refusal.empty();
    return !loaded && data.refusal.find(refusal) != std::string::npos;
  };

  // The revised font: up to the largest font the program reads.
  std::vector<std::uint8_t> patch = demo;
  Put32(patch, 72, static_cast<std::uint32_t>(kLargestFontFile));
  EXPECT_TRUE(loads(patch, nullptr));
  Put32(patch, 72, static_cast<std::uint32_t>(kLargestFontFile) + 1);
  EXPECT_TRUE(loads(patch, "larger than any font")) << data.refusal;

  // Every table rebuilt from a block: up to the bytes its copies and carried
  // runs give (gaps between them count for nothing), and never longer than
  // the revised font; a kept table's stored length is not used.
  ASSERT_TRUE(data.LoadPatchBytes(demo));
  std::vector<std::pair<std::size_t, std::uint32_t>> built;  // record, the most it can give
  for (std::size_t i = 0; i < data.records.size(); ++i) {
    const CSabunTagObject& record = *data.records[i];
    if (record.hasDifference) built.emplace_back(i, static_cast<std::uint32_t>(record.SegmentBytes()));
  }
  ASSERT_GE(built.size(), 10u);
  for (const auto& [i, most] : built) {
    patch = demo;
    Put32(patch, 85 + 18 * i + 10, most);
    EXPECT_TRUE(loads(patch, nullptr)) << i << ": " << data.refusal;
    Put32(patch, 85 + 18 * i + 10, most + 1);
    EXPECT_TRUE(loads(patch, "its copies and carried bytes give at most")) << i << ": " << data.refusal;
  }
  // The largest block's table as long as the font it is in, and one more.
  ASSERT_STREQ(data.records[0]->tag, "CFF ");
  const std::uint32_t cffLength = data.records[0]->record.newLength;  // each load replaces the records
  patch = demo;
  Put32(patch, 72, cffLength);
  Put32(patch, 85 + 10, cffLength);
  EXPECT_TRUE(loads(patch, nullptr)) << data.refusal;
  Put32(patch, 72, cffLength - 1);
  EXPECT_TRUE(loads(patch, "larger than the revised font")) << data.refusal;
  ASSERT_TRUE(data.LoadPatchBytes(demo));
  ASSERT_EQ(data.records[3]->record.dataOffset, 0u);  // OS/2, kept
  patch = demo;
  Put32(patch, 85 + 18 * 3 + 10, 0xFFFFFFFFu);
  EXPECT_TRUE(loads(patch, nullptr)) << data.refusal;
}

}  // namespace
