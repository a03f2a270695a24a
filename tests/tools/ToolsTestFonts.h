// Font pairs for the tools' tests: small crafted fonts with every kind of
// table change, and real faces of Debian's Noto CJK collections made
// findable by the search (Macintosh name records first).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tools_test {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kSansCollection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

// A name table of Macintosh records 0 to 6 whose fifth record (name ID 4)
// is `fullName`, as the maker's fonts carry it.
Bytes MacNameTable(const std::string& family, const std::string& style, const std::string& fullName);

// `font` laid out anew: its tables in its own directory order, back to back,
// `replace` standing in for tables of the same tag, head.fontRevision set to
// `revision` unless it is 0, every checksum and checkSumAdjustment right.
// `fileOrder` (indexes into the directory) puts the tables in another
// physical order.
Bytes RebuildFont(const Bytes& font, const std::map<std::string, Bytes>& replace, std::uint32_t revision = 0,
                  const std::vector<std::size_t>& fileOrder = {});

// Sets head.checkSumAdjustment (and head's directory checksum) so that the
// font's checksums are right.
void FixCheckSums(Bytes& font);

// A small 'OTTO' font with the tables a CFF font has; `cff` stands for the
// outlines (the updater does not look inside them).
Bytes SmallFont(const std::string& fullName, std::uint32_t revision, const Bytes& cff, std::uint16_t numGlyphs = 100);

// Face `index` of a Noto CJK collection, with Macintosh names `fullName` and
// revision `revision`. Empty when the package is not installed.
Bytes NotoFace(std::uint32_t index, const std::string& fullName, std::uint32_t revision);

// A table's bytes, or empty.
Bytes TableOf(const Bytes& font, const std::string& tag);

Bytes RandomBytes(std::size_t size, std::uint32_t seed);

}  // namespace tools_test
