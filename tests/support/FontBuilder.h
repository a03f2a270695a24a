// Small crafted 'OTTO' images for the edge cases real fonts do not show, and
// faces taken out of the font collections of Debian's packages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct CraftedTable {
  std::string tag;  // four characters
  std::vector<std::uint8_t> data;
};

// An 'OTTO' font with `tables` in directory order. By default the tables lie
// back to back after the directory in the same order, each on a multiple of
// 4 and zero-padded, with correct checksums; `fileOrder` (indexes into
// `tables`) lays them out in another physical order.
std::vector<std::uint8_t> BuildFont(const std::vector<CraftedTable>& tables,
                                    const std::vector<std::size_t>& fileOrder = {});

// A head table of 54 bytes with the given fontRevision (raw 16.16 bits).
std::vector<std::uint8_t> HeadTable(std::uint32_t fontRevision);

// A name table whose records carry `names` as stored bytes, one record each,
// platform 1 (Macintosh), name IDs 0, 1, 2, ... in order.
std::vector<std::uint8_t> NameTable(const std::vector<std::string>& names);

// Face `index` of a TrueType/OpenType collection, rebuilt as a standalone
// font (tables back to back in directory order, checksums kept). Empty when
// the collection or the face cannot be read.
std::vector<std::uint8_t> ExtractCollectionFace(const std::vector<std::uint8_t>& collection, std::uint32_t index);

// Big-endian stores for crafting bytes.
void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value);
void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

}  // namespace test_support
