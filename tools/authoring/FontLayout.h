// Where the tables of a revised font go: the directory in tag order, the
// tables back to back after it in the font's own physical order, each on a
// multiple of 4. The updater's assembler places tables only where the patch
// says, so every patch this tool writes uses this layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "font/OpenTypeFont.h"

namespace authoring {

struct TablePlace {
  const CTagObject* table = nullptr;  // the revised font's table (not owned)
  std::uint8_t newIndex = 0;          // slot in the new directory
  std::uint8_t fileOrder = 0;         // position in the new file's physical order
  std::uint32_t newOffset = 0;
  std::uint32_t newLength = 0;
};

struct FontLayout {
  std::vector<TablePlace> places;  // in newIndex order
  std::uint32_t newFileSize = 0;
  // How the font as given departs from this layout, one line each; empty
  // when its bytes already lie exactly this way.
  std::vector<std::string> departures;
};

// Plans the layout of `font` (loaded, at most 255 tables). False with a reason
// when the tables cannot be laid out (a file of 4 GiB or more).
bool PlanLayout(const COpenTypeFont& font, FontLayout& layout, std::string& error);

// The font image the updater assembles for `layout` from the revised font's
// tables: the offset table given (the updater keeps the installed font's),
// the directory with fresh checksums, zero padding, and head's checksum and
// checkSumAdjustment recomputed. Empty when the layout has no head table.
std::vector<std::uint8_t> AssembleExpected(const FontLayout& layout, const std::uint8_t (&offsetTable)[12]);

// Whether every directory checksum of `font` matches its table (head's taken
// with checkSumAdjustment zero) and head's checkSumAdjustment matches the
// whole file. Lines naming what is wrong go to `problems`.
bool ChecksumsAreRight(const COpenTypeFont& font, std::vector<std::string>& problems);

}  // namespace authoring
