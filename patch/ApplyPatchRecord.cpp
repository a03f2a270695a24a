// Rebuilding one table from its patch record.
#include "patch/ApplyPatchRecord.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

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
  // The zeros between segments are no bytes the patch or the font holds.
  if (record.record.newLength > record.SegmentBytes()) return false;
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

// The bytes [begin, end) of a table that one copy wrote.
struct Written {
  std::uint32_t begin;
  std::uint32_t end;
};

// Copies `length` bytes to `dstOffset` of the table, as far as they fall in
// its first `newLength` bytes: what a segment puts in the padding never
// reaches the new file, whose padding is zero. Notes what it wrote.
void CopyClipped(std::uint8_t* out, std::uint32_t newLength, std::uint32_t dstOffset, const std::uint8_t* from,
                 std::uint32_t length, std::vector<Written>& written) {
  if (dstOffset >= newLength || length == 0) return;
  const std::uint32_t room = newLength - dstOffset;
  const std::uint32_t copied = length < room ? length : room;
  std::memcpy(out + dstOffset, from, copied);
  written.push_back({dstOffset, dstOffset + copied});
}

// Zeroes the bytes of the table's first `newLength` that no copy wrote, and
// only those: the table comes out the same whatever `out` held before.
void ZeroUnwritten(std::uint8_t* out, std::uint32_t newLength, std::vector<Written>& written) {
  std::sort(written.begin(), written.end(), [](const Written& a, const Written& b) { return a.begin < b.begin; });
  std::uint32_t at = 0;
  for (const Written& w : written) {
    if (w.begin > at) std::memset(out + at, 0, w.begin - at);
    at = std::max(at, w.end);
  }
  if (at < newLength) std::memset(out + at, 0, newLength - at);
}

// Writes the new table into `out` (every one of its newLength bytes, zero
// where nothing is copied) and records the rebuilt form.
void Rebuild(CTagObject& table, const CSabunTagObject& record, std::uint8_t* out) {
  const SabunRecord& fields = record.record;
  const std::uint32_t newLength = NewLength(table, record);
  const std::span<const std::uint8_t> installed = table.PaddedData();
  std::vector<Written> written;
  if (record.hasDifference == 0) {
    CopyClipped(out, newLength, 0, installed.data(), static_cast<std::uint32_t>(installed.size()), written);
  } else {
    written.reserve(record.oldSegments.GetSize() + record.newSegments.size());
    for (const COldTagObject* segment : record.oldSegments) {
      CopyClipped(out, newLength, segment->dstOffset, installed.data() + segment->srcOffset, segment->length, written);
    }
    for (const auto& segment : record.newSegments) {
      CopyClipped(out, newLength, segment->dstOffset, segment->Bytes().data(), segment->length, written);
    }
  }
  ZeroUnwritten(out, newLength, written);
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

bool RecordFitsTable(const CTagObject& table, const CSabunTagObject& record) {
  const std::uint64_t newPadded = (std::uint64_t{NewLength(table, record)} + 3) & ~std::uint64_t{3};
  return SegmentsFit(table, record, newPadded);
}

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
