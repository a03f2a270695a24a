// Finding how a revised table is made from the installed one: which ranges of
// the installed table reappear in it (old segments) and which bytes must be
// carried in the patch (new segments).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "patch/PatchFormat.h"

namespace authoring {

// Bytes a patch spends on each segment besides its data.
constexpr std::size_t kOldSegmentCost = kOldSegmentSize;
constexpr std::size_t kNewSegmentHeaderCost = kNewSegmentHeaderSize;

struct OldSegment {
  std::uint32_t srcOffset = 0;
  std::uint32_t length = 0;
  std::uint32_t dstOffset = 0;
};

// The bytes of a new segment are the revised table's own bytes from
// dstOffset; the writer copies them from there.
struct NewSegment {
  std::uint32_t dstOffset = 0;
  std::uint32_t length = 0;
};

// How one revised table is made. Both lists ascend by dstOffset and together
// cover the revised table from 0 to its length exactly once.
struct TableDifference {
  std::vector<OldSegment> oldSegments;
  std::vector<NewSegment> newSegments;

  // Size of the difference block in the patch: the two counts, the old
  // segments, and each new segment's header and bytes.
  std::size_t BlockSize() const;
  std::size_t CarriedBytes() const;
};

// The revised table carried whole: no old segment, one new segment over all
// of it (none when the table is empty).
TableDifference ReplaceWhole(std::uint32_t newLength);

// Whether `difference` is well formed for a revised table of `newLength`
// bytes made from an installed table of `oldLength` bytes: both lists
// ascending, every byte covered exactly once, every old range inside the
// installed table.
bool IsCompleteCover(const TableDifference& difference, std::uint32_t oldLength, std::uint32_t newLength);

// A suffix array over the installed table answers, for every position of the
// revised table, the longest run of bytes that the installed table holds
// anywhere (moved ranges included). The parse then keeps exactly the matches
// that cost less as old segments than as carried bytes.
class CTableDiffer {
 public:
  CTableDiffer() = default;
  CTableDiffer(const CTableDiffer&) = delete;
  CTableDiffer& operator=(const CTableDiffer&) = delete;

  // Builds the index over `oldTable`, which must outlive the differ (the
  // differ keeps a view of it). False when the table is too large for the
  // index (2 GiB and more) or the index cannot be built.
  bool Index(std::span<const std::uint8_t> oldTable);

  // The cheapest difference this differ finds for `newTable`.
  TableDifference Diff(std::span<const std::uint8_t> newTable) const;

  // The longest prefix of `bytes` that the installed table holds, and where.
  std::size_t LongestMatch(std::span<const std::uint8_t> bytes, std::uint32_t& srcOffset) const;

 private:
  std::span<const std::uint8_t> m_old;
  std::vector<std::int32_t> m_suffixes;  // suffix array of m_old
  std::vector<std::int32_t> m_buckets;   // first suffix of each leading byte pair, 65537 entries
};

}  // namespace authoring
