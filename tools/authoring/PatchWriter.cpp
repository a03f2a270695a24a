// The patch writer: the size first, one allocation, then every field stored
// into room that was checked.
#include "tools/authoring/PatchWriter.h"

#include <cstring>
#include <limits>

#include "font/ByteWriter.h"
#include "patch/MakeSabunData.h"

namespace authoring {
namespace {

bool SegmentsInsideTable(const PatchTable& table) {
  for (const NewSegment& segment : table.difference.newSegments) {
    if (segment.length > table.newBytes.size() || segment.dstOffset > table.newBytes.size() - segment.length) {
      return false;
    }
  }
  return table.newBytes.size() == table.newLength;
}

}  // namespace

bool WritePatch(const PatchHeader& header, const std::vector<PatchTable>& tables, std::vector<std::uint8_t>& patch,
                std::string& error) {
  patch.clear();
  if (header.fontName.empty() || header.fontName.size() > kMaxFontNameLength ||
      header.fontName.find('\0') != std::string::npos) {
    error = "the font name must be 1 to 63 bytes without a zero byte";
    return false;
  }
  if (tables.size() > 255) {
    error = "a patch holds at most 255 tables, this font has " + std::to_string(tables.size());
    return false;
  }
  std::size_t size = kPatchHeaderSize + kPatchRecordSize * tables.size();
  for (const PatchTable& table : tables) {
    if (table.keep) continue;
    if (!SegmentsInsideTable(table)) {
      error = "the block of table '" + std::string(reinterpret_cast<const char*>(table.tag), 4) +
              "' carries bytes outside the table";
      return false;
    }
    size += table.difference.BlockSize();
  }
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    error = "the patch would be 4 GiB or more";
    return false;
  }

  patch.assign(size, 0);
  CByteWriter out(patch);
  std::uint8_t name[kPatchFontNameSize] = {};
  std::memcpy(name, header.fontName.data(), header.fontName.size());
  const std::uint8_t reserved[8] = {};
  bool ok = out.Bytes(kPatchMagic, 4) && out.Bytes(name, sizeof name) && out.U32(header.oldRevision) &&
            out.U32(header.newFileSize) && out.U8(static_cast<std::uint8_t>(tables.size())) &&
            out.Bytes(reserved, sizeof reserved);

  std::size_t blockOffset = kPatchHeaderSize + kPatchRecordSize * tables.size();
  for (const PatchTable& table : tables) {
    const std::uint32_t dataOffset = table.keep ? 0 : static_cast<std::uint32_t>(blockOffset);
    ok = ok && out.Bytes(table.tag, 4) && out.U8(table.newIndex) && out.U8(table.fileOrder) && out.U32(dataOffset) &&
         out.U32(table.newLength) && out.U32(table.newOffset);
    if (!table.keep) blockOffset += table.difference.BlockSize();
  }
  for (const PatchTable& table : tables) {
    if (table.keep) continue;
    const TableDifference& difference = table.difference;
    ok = ok && out.U32(static_cast<std::uint32_t>(difference.oldSegments.size()));
    for (const OldSegment& segment : difference.oldSegments) {
      ok = ok && out.U32(segment.srcOffset) && out.U32(segment.length) && out.U32(segment.dstOffset);
    }
    ok = ok && out.U32(static_cast<std::uint32_t>(difference.newSegments.size()));
    for (const NewSegment& segment : difference.newSegments) {
      ok = ok && out.U32(segment.dstOffset) && out.U32(segment.length) &&
           out.Bytes(table.newBytes.data() + segment.dstOffset, segment.length);
    }
  }
  if (!ok || out.Offset() != patch.size()) {
    patch.clear();
    error = "internal error: the patch did not fill the size computed for it";
    return false;
  }
  return true;
}

}  // namespace authoring
