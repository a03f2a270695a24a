// Making the patch that turns an installed font into its revised form, and
// proving it with the updater's own code before anyone ships it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

enum class TableForm { kKeep, kReplaceWhole, kDifference };

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
  std::string fontName;             // as the font search reads it from the installed font
  std::uint32_t oldRevision = 0;    // head.fontRevision of the installed font
  std::uint32_t newRevision = 0;    // head.fontRevision of the revised font
  std::vector<TableReport> tables;  // in newIndex order
  // What the maker should know: the revised font's layout or checksums were
  // not those of a shipped font, so the patch lays it out anew.
  std::vector<std::string> notes;
  // Whether applying the patch gave the revised font byte for byte (otherwise
  // the same tables in the patch's layout, with correct checksums).
  bool byteIdentical = false;
};

// Makes the patch from the installed font `oldImage` to the revised font
// `newImage`, applies it to `oldImage` with the updater's code and checks the
// result. False with a reason a maker can act on when the fonts cannot be
// patched (not loadable 'OTTO' fonts with known tables only, different table
// sets, no name the search can read, more than 255 tables, ...) or when the
// check fails; nothing is returned then.
bool MakePatch(const std::vector<std::uint8_t>& oldImage, const std::vector<std::uint8_t>& newImage, MakeResult& result,
               std::string& error);

// The same from files: reads `oldPath` and `newPath` and writes the patch to
// `patchPath` only when it was made and checked (an existing file there is
// replaced whole, never left half written).
bool MakePatchFile(const std::string& oldPath, const std::string& newPath, const std::string& patchPath,
                   MakeResult& result, std::string& error);

// Why `image` is not a font the updater loads, or empty when it is one.
std::string DescribeUnloadableFont(const std::vector<std::uint8_t>& image);

}  // namespace authoring
