// The patch writer, read back by the updater's patch reader: header fields,
// records in order, blocks back to back after the records, the patch ending
// with the last block.
#include <gtest/gtest.h>

#include <cstring>

#include "font/BigEndian.h"
#include "patch/MakeSabunData.h"
#include "tools/authoring/PatchWriter.h"

namespace {

using authoring::PatchHeader;
using authoring::PatchTable;
using Bytes = std::vector<std::uint8_t>;

PatchTable Table(const char* tag, std::uint8_t index, std::uint8_t order, std::uint32_t length, std::uint32_t offset) {
  PatchTable table;
  std::memcpy(table.tag, tag, 4);
  table.newIndex = index;
  table.fileOrder = order;
  table.newLength = length;
  table.newOffset = offset;
  return table;
}

struct Fixture {
  Bytes cff = Bytes(40, 0xC5);
  Bytes maxp = {0x00, 0x00, 0x50, 0x00, 0x03, 0xF1};
  std::vector<PatchTable> tables;
  PatchHeader header{"Example Mincho W3", 0x00010000, 0};

  Fixture() {
    // CFF: a difference (an old range, then carried bytes); head: kept;
    // maxp: replaced whole.
    PatchTable cffTable = Table("CFF ", 0, 1, 40, 96);
    cffTable.difference.oldSegments = {{100, 30, 0}};
    cffTable.difference.newSegments = {{30, 10}};
    cffTable.newBytes = cff;
    PatchTable head = Table("head", 1, 0, 54, 44);
    head.keep = true;
    PatchTable maxpTable = Table("maxp", 2, 2, 6, 136);
    maxpTable.difference = authoring::ReplaceWhole(6);
    maxpTable.newBytes = maxp;
    tables = {cffTable, head, maxpTable};
    header.newFileSize = 144;
  }
};

TEST(PatchWriter, ReadsBackWithTheUpdatersReader) {
  Fixture f;
  Bytes patch;
  std::string error;
  ASSERT_TRUE(authoring::WritePatch(f.header, f.tables, patch, error)) << error;

  const std::size_t records = 85 + 18 * 3;
  const std::size_t cffBlock = 4 + 12 + 4 + 8 + 10;
  const std::size_t maxpBlock = 4 + 4 + 8 + 6;
  ASSERT_EQ(patch.size(), records + cffBlock + maxpBlock);
  EXPECT_EQ(std::memcmp(patch.data(), "VKTP", 4), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(patch.data() + 4)), "Example Mincho W3");
  for (std::size_t i = 4 + f.header.fontName.size(); i < 68; ++i) EXPECT_EQ(patch[i], 0) << i;
  for (std::size_t i = 77; i < 85; ++i) EXPECT_EQ(patch[i], 0) << "reserved " << i;

  CMakeSabunData data;
  ASSERT_TRUE(data.LoadPatchBytes(patch));
  EXPECT_EQ(data.oldRevision, 0x00010000u);
  EXPECT_EQ(data.newFileSize, 144u);
  ASSERT_EQ(data.tableCount, 3);
  const auto& cff = *data.records[0];
  EXPECT_STREQ(cff.tag, "CFF ");
  EXPECT_EQ(cff.record.dataOffset, records);
  EXPECT_EQ(cff.record.fileOrder, 1);
  EXPECT_EQ(cff.record.newOffset, 96u);
  ASSERT_EQ(cff.oldSegments.GetSize(), 1u);
  EXPECT_EQ(cff.oldSegments[0]->srcOffset, 100u);
  ASSERT_EQ(cff.newSegments.size(), 1u);
  EXPECT_EQ(cff.newSegments[0]->dstOffset, 30u);
  EXPECT_EQ(Bytes(cff.newSegments[0]->Bytes().begin(), cff.newSegments[0]->Bytes().end()), Bytes(10, 0xC5));

  const auto& head = *data.records[1];
  EXPECT_EQ(head.record.dataOffset, 0u);
  EXPECT_EQ(head.hasDifference, 0);
  EXPECT_EQ(head.record.newLength, 54u);

  const auto& maxp = *data.records[2];
  EXPECT_EQ(maxp.record.dataOffset, records + cffBlock);
  EXPECT_EQ(maxp.oldSegments.GetSize(), 0u);
  ASSERT_EQ(maxp.newSegments.size(), 1u);
  EXPECT_EQ(maxp.newSegments[0]->length, 6u);
  EXPECT_EQ(Bytes(maxp.newSegments[0]->Bytes().begin(), maxp.newSegments[0]->Bytes().end()), f.maxp);
}

TEST(PatchWriter, RefusesWhatDoesNotFit) {
  Fixture f;
  Bytes patch;
  std::string error;
  PatchHeader header = f.header;
  header.fontName = std::string(63, 'N');
  EXPECT_TRUE(authoring::WritePatch(header, f.tables, patch, error)) << error;
  header.fontName = std::string(64, 'N');
  EXPECT_FALSE(authoring::WritePatch(header, f.tables, patch, error));
  EXPECT_TRUE(patch.empty());
  header.fontName.clear();
  EXPECT_FALSE(authoring::WritePatch(header, f.tables, patch, error));

  std::vector<PatchTable> many(256, Table("head", 0, 0, 0, 0));
  for (auto& table : many) table.keep = true;
  EXPECT_FALSE(authoring::WritePatch(f.header, many, patch, error));
  EXPECT_NE(error.find("255"), std::string::npos);
  many.pop_back();
  EXPECT_TRUE(authoring::WritePatch(f.header, many, patch, error)) << error;

  // Carried bytes must come from the revised table itself.
  std::vector<PatchTable> outside = f.tables;
  outside[0].difference.newSegments = {{35, 10}};
  EXPECT_FALSE(authoring::WritePatch(f.header, outside, patch, error));
  EXPECT_TRUE(patch.empty());
}

}  // namespace
