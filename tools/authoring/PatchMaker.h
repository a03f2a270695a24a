// Making the patch that turns an installed font into its revised form, and
// proving it with the updater's own code before anyone ships it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

enum class TableForm { kKeep, kReplaceWhole, kDifference, kAdded };

struct TableReport {
  std::string tag;
  TableForm form = TableForm::kKeep;
  std::uint32_t oldLength = 0;
  std::uint32_t newLength = 0;
  std::size_t oldSegments = 0;
  std::size_t newSegments = 0;
  std::size_t carriedBytes = 0;
  std::size_t blockSize = 0;  // 0 for a kept table
};

struct MakeResult {
  std::vector<std::uint8_t> patch;
  std::string fontName;                    // as the font search reads it from the installed font
  std::uint32_t oldRevision = 0;           // head.fontRevision of the installed font
  std::uint32_t newRevision = 0;           // head.fontRevision of the revised font
  std::vector<TableReport> tables;         // in newIndex order
  std::vector<std::string> addedTables;    // tags only the revised font has
  std::vector<std::string> droppedTables;  // tags only the installed font has
  // What the maker should know: the revised font's layout or checksums were
  // not those of a shipped font, so the patch lays it out anew.
  std::vector<std::string> notes;
  // Whether applying the patch gave the revised font byte for byte (otherwise
  // the same tables in the patch's layout, with correct checksums).
  bool byteIdentical = false;
};

struct MakeOptions {
  // Make the patch even when the revised font's revision is not above the
  // installed font's.
  bool allowDowngrade = false;
};

// A head.fontRevision as fonts show it: "2.003".
std::string RevisionText(std::uint32_t revision);

// Makes the patch from the installed font `oldImage` to the revised font
// `newImage`, applies it to `oldImage` with the updater's code and checks the
// result. A table only one font has is dropped or added. False with a reason
// a maker can act on when the fonts cannot be patched (not loadable 'OTTO'
// fonts, no name the search can read, more than 255 tables, a revision not
// above the installed one unless `options` allow it, ...) or when the check
// fails; nothing is returned then.
bool MakePatch(const std::vector<std::uint8_t>& oldImage, const std::vector<std::uint8_t>& newImage, MakeResult& result,
               std::string& error, const MakeOptions& options = {});

// The same from files: reads `oldPath` and `newPath` and writes the patch to
// `patchPath` only when it was made and checked (an existing file there is
// replaced whole, never left half written).
bool MakePatchFile(const std::string& oldPath, const std::string& newPath, const std::string& patchPath,
                   MakeResult& result, std::string& error, const MakeOptions& options = {});

// Why `image` is not a font the updater loads, or empty when it is one.
std::string DescribeUnloadableFont(const std::vector<std::uint8_t>& image);

}  // namespace authoring
