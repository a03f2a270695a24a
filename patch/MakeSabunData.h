// A "VKTP" patch: the header that names the font it revises, one record per
// table of the revised font, and the difference blocks the records point to.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "font/OpenTypeObject.h"
#include "font/SortArray.h"
#include "patch/PatchFormat.h"

// One old segment: `length` bytes copied from `srcOffset` of the installed
// table to `dstOffset` of the new table.
class COldTagObject : public COpenTypeObject {
 public:
  COldTagObject(std::uint32_t srcOffset, std::uint32_t length, std::uint32_t dstOffset);

  std::uint32_t srcOffset = 0;
  std::uint32_t length = 0;
  std::uint32_t dstOffset = 0;
};

// One new segment: `length` bytes carried in the patch, written at
// `dstOffset` of the new table. Its bytes are the patch's own: they point
// into the patchBytes of the CMakeSabunData that read it, which frees its
// records before those bytes.
class CNewTagObject : public COpenTypeObject {
 public:
  CNewTagObject(std::uint32_t dstOffset, std::span<const std::uint8_t> bytes);

  std::span<const std::uint8_t> Bytes() const { return m_bytes; }

  std::uint32_t dstOffset = 0;
  std::uint32_t length = 0;

 private:
  std::span<const std::uint8_t> m_bytes;
};

// The 18 stored fields of a table record.
struct SabunRecord {
  std::uint8_t tag[4] = {0, 0, 0, 0};
  std::uint8_t newIndex = 0;
  std::uint8_t fileOrder = 0;
  std::uint32_t dataOffset = 0;
  std::uint32_t newLength = 0;
  std::uint32_t newOffset = 0;
};

// One table record with its difference block, if it has one.
class CSabunTagObject : public COpenTypeObject {
 public:
  CSabunTagObject();
  ~CSabunTagObject() override;

  void SetRecord(const std::uint8_t (&tag)[4], std::uint8_t newIndex, std::uint8_t fileOrder, std::uint32_t dataOffset,
                 std::uint32_t newLength, std::uint32_t newOffset);

  // Reads the difference block at the start of `block` (which runs to the end
  // of the patch). False when a count, a segment or its bytes run past it.
  // The new segments point into `block`, which must outlive them.
  bool ReadDifference(std::span<const std::uint8_t> block);
  // The bytes the difference block that was read takes in the patch (0
  // without one).
  std::size_t DifferenceSize() const;
  // The most bytes its segments can give the new table: every copy's length
  // and every carried byte (0 without a difference block). Bytes no segment
  // covers are zeros the patch does not hold, so a table longer than this
  // would be made of nothing.
  std::uint64_t SegmentBytes() const;

  char tag[5] = {0, 0, 0, 0, 0};
  CSortArray<COldTagObject> oldSegments;  // stored order; owned
  std::vector<std::unique_ptr<CNewTagObject>> newSegments;
  std::int32_t hasDifference = 0;
  SabunRecord record;

 private:
  std::vector<std::unique_ptr<COldTagObject>> m_oldSegmentStore;  // owns what oldSegments lists
};

class CMakeSabunData : public COpenTypeObject {
 public:
  CMakeSabunData();
  ~CMakeSabunData() override;
  CMakeSabunData(const CMakeSabunData&) = delete;
  CMakeSabunData& operator=(const CMakeSabunData&) = delete;

  // Probes the patch "FONT_PA" `resourceNumber`: true when it exists, is not
  // empty and starts with "VKTP"; fills the name (up to its first zero) and
  // the old revision. Leaves the object unchanged.
  bool ReadPatchHeader(std::uint16_t resourceNumber, std::string& fontName, std::uint32_t& oldRevision) const;
  static bool ReadPatchHeaderBytes(std::span<const std::uint8_t> bytes, std::string& fontName,
                                   std::uint32_t& oldRevision);

  // Loads the whole patch "FONT_PA" `resourceNumber`. False when it is
  // missing or empty, does not start with "VKTP", when the header, a record
  // or a difference block runs past its end, when a record's dataOffset is
  // not below its size, or when the blocks together take more bytes than the
  // patch has (records sharing a block). False too when a size it declares
  // is more than it can give: a revised font larger than any font the
  // program reads (kLargestFontFile), or a table with a difference block
  // longer than that font or than its segments give (SegmentBytes). The
  // records read before a failure stay until ClearPatch.
  bool LoadPatchResource(std::uint16_t resourceNumber);
  // The same from bytes in memory (a patch file read by the tools).
  bool LoadPatchBytes(std::span<const std::uint8_t> bytes);

  // The first record, in stored order, whose newIndex equals `index`.
  CSabunTagObject* FindRecordByIndex(int index) const;

  void ClearPatch();

  std::vector<std::unique_ptr<CSabunTagObject>> records;
  std::uint8_t magic[4] = {0, 0, 0, 0};
  std::uint8_t fontName[kPatchFontNameSize] = {};
  std::uint32_t oldRevision = 0;
  std::uint32_t newFileSize = 0;
  std::uint8_t tableCount = 0;
  std::uint8_t reserved[8] = {};
  std::uint32_t patchSize = 0;
  std::vector<std::uint8_t> patchBytes;  // patchSize + 1 bytes
  std::string refusal;                   // why the last load refused the patch; empty when it did not
};
