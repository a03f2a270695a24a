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

}  // namespace

int ApplyPatchRecord(CTagObject& table, const CSabunTagObject& record) {
  ClearRebuilt(table);
  const SabunRecord& fields = record.record;
  const bool difference = record.hasDifference != 0;
  const std::uint32_t newLength = difference ? fields.newLength : table.length;
  const std::uint64_t newPadded = (std::uint64_t{newLength} + 3) & ~std::uint64_t{3};
  // The installed table with the bytes after it up to a multiple of 4, as far
  // as the installed file holds them.
  const std::span<const std::uint8_t> installed = table.PaddedData();

  if (difference) {
    // Every segment is checked before the buffer is made: a refused record
    // leaves nothing behind.
    for (const COldTagObject* segment : record.oldSegments) {
      if (!Inside(installed.size(), segment->srcOffset, segment->length) ||
          !Inside(newPadded, segment->dstOffset, segment->length)) {
        return 0;
      }
    }
    for (const auto& segment : record.newSegments) {
      if (!Inside(newPadded, segment->dstOffset, segment->length)) return 0;
    }
  }

  if (newPadded > 0xFFFFFFFCu || newPadded + 1 > table.newData.max_size()) return 0;
  try {
    table.newData.assign(static_cast<std::size_t>(newPadded) + 1, 0);
  } catch (const std::bad_alloc&) {
    ClearRebuilt(table);
    return 0;
  }
  std::uint8_t* out = table.newData.data();
  if (!difference) {
    if (!installed.empty()) std::memcpy(out, installed.data(), installed.size());
  } else {
    for (const COldTagObject* segment : record.oldSegments) {
      if (segment->length != 0) {
        std::memcpy(out + segment->dstOffset, installed.data() + segment->srcOffset, segment->length);
      }
    }
    for (const auto& segment : record.newSegments) {
      if (segment->length != 0) std::memcpy(out + segment->dstOffset, segment->data.data(), segment->length);
    }
  }
  // Only newLength bytes reach the new file and the bytes after them there
  // are zero, so the checksum is taken with zero padding too, whatever the
  // installed file or a segment left in it.
  std::memset(out + newLength, 0, static_cast<std::size_t>(newPadded - newLength) + 1);

  table.directorySlot = fields.newIndex;
  table.dataOrder = fields.fileOrder;
  table.paddedLength = static_cast<std::uint32_t>(newPadded);
  std::memcpy(table.newTag, table.tag, 4);
  table.newOffset = fields.newOffset;
  table.newLength = newLength;
  table.newCheckSum =
      CalcTableCheckSum({out, static_cast<std::size_t>(newPadded)}, static_cast<std::uint32_t>(newPadded));
  return 1;
}
