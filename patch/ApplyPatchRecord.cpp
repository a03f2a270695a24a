// Rebuilding one table from its patch record.
#include "patch/ApplyPatchRecord.h"

#include <cstring>
#include <new>

#include "font/FontWords.h"

namespace {

// Whether `length` bytes from `offset` lie inside `size` bytes (cannot overflow).
bool Inside(std::uint64_t size, std::uint32_t offset, std::uint32_t length) {
  return length <= size && offset <= size - length;
}

void ClearRebuilt(CTagObject& table) {
  table.newData.clear();
  table.newData.shrink_to_fit();
  std::memset(table.newTag, 0, sizeof table.newTag);
  table.newCheckSum = 0;
  table.newOffset = 0;
  table.newLength = 0;
}

std::uint32_t NewLength(const CTagObject& table, const CSabunTagObject& record) {
  return record.hasDifference != 0 ? record.record.newLength : table.length;
}

// Every segment is checked before a byte is written: a refused record leaves
// nothing behind.
bool SegmentsFit(const CTagObject& table, const CSabunTagObject& record, std::uint64_t newPadded) {
  if (record.hasDifference == 0) return true;
  const std::span<const std::uint8_t> installed = table.PaddedData();
  for (const COldTagObject* segment : record.oldSegments) {
    if (!Inside(installed.size(), segment->srcOffset, segment->length) ||
        !Inside(newPadded, segment->dstOffset, segment->length)) {
      return false;
    }
  }
  for (const auto& segment : record.newSegments) {
    if (!Inside(newPadded, segment->dstOffset, segment->length)) return false;
  }
  return true;
}

// Copies `length` bytes to `dstOffset` of the table, as far as they fall in
// its first `newLength` bytes: what a segment puts in the padding never
// reaches the new file, whose padding is zero.
void CopyClipped(std::uint8_t* out, std::uint32_t newLength, std::uint32_t dstOffset, const std::uint8_t* from,
                 std::uint32_t length) {
  if (dstOffset >= newLength || length == 0) return;
  const std::uint32_t room = newLength - dstOffset;
  std::memcpy(out + dstOffset, from, length < room ? length : room);
}

// Writes the new table into `out` (its newLength bytes, zero where nothing
// is copied) and records the rebuilt form.
void Rebuild(CTagObject& table, const CSabunTagObject& record, std::uint8_t* out) {
  const SabunRecord& fields = record.record;
  const std::uint32_t newLength = NewLength(table, record);
  const std::span<const std::uint8_t> installed = table.PaddedData();
  if (record.hasDifference == 0) {
    CopyClipped(out, newLength, 0, installed.data(), static_cast<std::uint32_t>(installed.size()));
  } else {
    for (const COldTagObject* segment : record.oldSegments) {
      CopyClipped(out, newLength, segment->dstOffset, installed.data() + segment->srcOffset, segment->length);
    }
    for (const auto& segment : record.newSegments) {
      CopyClipped(out, newLength, segment->dstOffset, segment->data.data(), segment->length);
    }
  }
  const std::uint64_t newPadded = (std::uint64_t{newLength} + 3) & ~std::uint64_t{3};
  table.directorySlot = fields.newIndex;
  table.dataOrder = fields.fileOrder;
  table.paddedLength = static_cast<std::uint32_t>(newPadded);
  std::memcpy(table.newTag, table.tag, 4);
  table.newOffset = fields.newOffset;
  table.newLength = newLength;
  // The checksum is taken with zero padding, as the table stands in the new file.
  table.newCheckSum = CalcTableCheckSum({out, newLength}, newLength);
}

}  // namespace

int ApplyPatchRecord(CTagObject& table, const CSabunTagObject& record) {
  ClearRebuilt(table);
  const std::uint64_t newPadded = (std::uint64_t{NewLength(table, record)} + 3) & ~std::uint64_t{3};
  if (!SegmentsFit(table, record, newPadded)) return 0;
  if (newPadded > 0xFFFFFFFCu || newPadded + 1 > table.newData.max_size()) return 0;
  try {
    table.newData.assign(static_cast<std::size_t>(newPadded) + 1, 0);
  } catch (const std::bad_alloc&) {
    ClearRebuilt(table);
    return 0;
  }
  Rebuild(table, record, table.newData.data());
  return 1;
}

int ApplyPatchRecordInto(CTagObject& table, const CSabunTagObject& record, std::span<std::uint8_t> image) {
  ClearRebuilt(table);
  const std::uint32_t newLength = NewLength(table, record);
  const std::uint64_t newPadded = (std::uint64_t{newLength} + 3) & ~std::uint64_t{3};
  if (!SegmentsFit(table, record, newPadded) || !Inside(image.size(), record.record.newOffset, newLength)) return 0;
  Rebuild(table, record, image.data() + record.record.newOffset);
  return 1;
}
