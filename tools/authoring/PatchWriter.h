// Writing a "VKTP" patch from its header fields and one planned record per
// table of the revised font.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/authoring/TableDiffer.h"

namespace authoring {

// One table of the revised font as the patch makes it.
struct PatchTable {
  std::uint8_t tag[4] = {0, 0, 0, 0};
  std::uint8_t newIndex = 0;
  std::uint8_t fileOrder = 0;
  std::uint32_t newLength = 0;
  std::uint32_t newOffset = 0;
  // The installed table is used unchanged: the record has no block.
  bool keep = false;
  // Otherwise the block: its segments, and the revised table's bytes that
  // the new segments carry.
  TableDifference difference;
  std::span<const std::uint8_t> newBytes;
};

struct PatchHeader {
  std::string fontName;  // at most 63 bytes, stored zero-filled
  std::uint32_t oldRevision = 0;
  std::uint32_t newFileSize = 0;
};

constexpr std::size_t kMaxFontNameLength = 63;

// Writes the patch: the header, the records in the order given (which the
// caller makes newIndex order), then each block right after the records in
// record order, the patch ending with the last block. False with a reason
// when a field does not fit (a name too long, more than 255 tables, a block
// whose segments lie outside its table, a patch of 4 GiB or more).
bool WritePatch(const PatchHeader& header, const std::vector<PatchTable>& tables, std::vector<std::uint8_t>& patch,
                std::string& error);

}  // namespace authoring
