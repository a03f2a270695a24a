// The table differ: a suffix array over the installed table, a greedy parse
// by longest matches, then a choice of which matches are worth their segment.
#include "tools/authoring/TableDiffer.h"

#include <divsufsort.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace authoring {
namespace {

// A match of 4 bytes or fewer never pays: its old segment costs 12 bytes, the
// same bytes carried cost at most a new segment's header and the 4 bytes.
constexpr std::size_t kShortestUsefulMatch = 5;
constexpr std::size_t kBucketCount = 65536;

// Length of the common prefix of a[0..n) and b[0..n), eight bytes at a time.
std::size_t CommonPrefix(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  std::size_t i = 0;
  while (n - i >= 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) {
      // Little-endian hosts (the tools run on x86-64 and arm64 Linux): the
      // first differing byte is the lowest differing one.
      return i + static_cast<std::size_t>(__builtin_ctzll(x ^ y) / 8);
    }
    i += 8;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

std::size_t TableDifference::BlockSize() const {
  std::size_t size = 4 + kOldSegmentCost * oldSegments.size() + 4;
  for (const NewSegment& segment : newSegments) size += kNewSegmentHeaderCost + segment.length;
  return size;
}

std::size_t TableDifference::CarriedBytes() const {
  std::size_t bytes = 0;
  for (const NewSegment& segment : newSegments) bytes += segment.length;
  return bytes;
}

TableDifference ReplaceWhole(std::uint32_t newLength) {
  TableDifference difference;
  if (newLength != 0) difference.newSegments.push_back({0, newLength});
  return difference;
}

bool IsCompleteCover(const TableDifference& difference, std::uint32_t oldLength, std::uint32_t newLength) {
  struct Range {
    std::uint32_t dst;
    std::uint32_t length;
  };
  std::vector<Range> ranges;
  std::uint32_t previous = 0;
  bool first = true;
  for (const OldSegment& segment : difference.oldSegments) {
    if (!first && segment.dstOffset < previous) return false;
    first = false;
    previous = segment.dstOffset;
    if (segment.length > oldLength || segment.srcOffset > oldLength - segment.length) return false;
    ranges.push_back({segment.dstOffset, segment.length});
  }
  first = true;
  for (const NewSegment& segment : difference.newSegments) {
    if (!first && segment.dstOffset < previous) return false;
    first = false;
    previous = segment.dstOffset;
    ranges.push_back({segment.dstOffset, segment.length});
  }
  std::sort(ranges.begin(), ranges.end(), [](const Range& a, const Range& b) { return a.dst < b.dst; });
  std::uint64_t next = 0;
  for (const Range& range : ranges) {
    if (range.length == 0 || range.dst != next) return false;
    next += range.length;
  }
  return next == newLength;
}

bool CTableDiffer::Index(std::span<const std::uint8_t> oldTable) {
  m_old = {};
  m_suffixes.clear();
  m_buckets.clear();
  if (oldTable.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
  const auto n = static_cast<std::int32_t>(oldTable.size());
  m_suffixes.resize(oldTable.size());
  if (n > 0 && divsufsort(oldTable.data(), m_suffixes.data(), n) != 0) {
    m_suffixes.clear();
    return false;
  }
  // buckets[k]: the first suffix whose leading byte pair is k or above; a
  // suffix of one byte b sorts first among those starting with b, as pair b,0.
  m_buckets.assign(kBucketCount + 1, n);
  std::size_t key = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const auto at = static_cast<std::size_t>(m_suffixes[static_cast<std::size_t>(i)]);
    const std::size_t suffixKey = (std::size_t{oldTable[at]} << 8) | (at + 1 < oldTable.size() ? oldTable[at + 1] : 0);
    while (key <= suffixKey) m_buckets[key++] = i;
  }
  m_old = oldTable;
  return true;
}

std::size_t CTableDiffer::LongestMatch(std::span<const std::uint8_t> bytes, std::uint32_t& srcOffset) const {
  srcOffset = 0;
  const std::size_t n = bytes.size();
  const std::size_t oldSize = m_old.size();
  if (n < 2 || oldSize < 2 || m_buckets.empty()) return 0;
  const std::size_t key = (std::size_t{bytes[0]} << 8) | bytes[1];
  std::size_t lo = static_cast<std::size_t>(m_buckets[key]);
  const std::size_t end = static_cast<std::size_t>(m_buckets[key + 1]);
  if (lo >= end) return 0;
  std::size_t hi = end - 1;

  // How far `bytes` agrees with the suffix at SA[index], known to agree for
  // `known` bytes already.
  auto agree = [&](std::size_t index, std::size_t known) {
    const auto at = static_cast<std::size_t>(m_suffixes[index]);
    const std::size_t limit = std::min(n, oldSize - at);
    if (known >= limit) return limit;
    return known + CommonPrefix(bytes.data() + known, m_old.data() + at + known, limit - known);
  };

  std::size_t lcpLo = agree(lo, 0);
  std::size_t lcpHi = agree(hi, 0);
  // Every suffix between lo and hi shares min(lcpLo, lcpHi) bytes with
  // `bytes`, so each step compares only what it does not know yet.
  while (hi - lo > 1) {
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::size_t common = agree(mid, std::min(lcpLo, lcpHi));
    if (common == n) {
      srcOffset = static_cast<std::uint32_t>(m_suffixes[mid]);
      return n;
    }
    const std::size_t at = static_cast<std::size_t>(m_suffixes[mid]) + common;
    if (at == oldSize || m_old[at] < bytes[common]) {
      lo = mid;
      lcpLo = common;
    } else {
      hi = mid;
      lcpHi = common;
    }
  }
  if (lcpLo >= lcpHi) {
    srcOffset = static_cast<std::uint32_t>(m_suffixes[lo]);
    return lcpLo;
  }
  srcOffset = static_cast<std::uint32_t>(m_suffixes[hi]);
  return lcpHi;
}

TableDifference CTableDiffer::Diff(std::span<const std::uint8_t> newTable) const {
  // 1. Greedy parse: at each position the longest match the installed table
  // holds. With every old segment costing the same, taking the longest match
  // needs the fewest segments to reach any point; a match that ends early
  // leaves its continuation to be found at the next position.
  struct Piece {
    std::uint32_t dst;
    std::uint32_t length;
    std::uint32_t src;
    bool match;
  };
  std::vector<Piece> pieces;
  const std::size_t n = newTable.size();
  std::size_t i = 0;
  std::size_t literalStart = 0;
  while (i < n) {
    std::uint32_t src = 0;
    const std::size_t length = LongestMatch(newTable.subspan(i), src);
    if (length < kShortestUsefulMatch) {
      ++i;
      continue;
    }
    if (literalStart < i) {
      pieces.push_back(
          {static_cast<std::uint32_t>(literalStart), static_cast<std::uint32_t>(i - literalStart), 0, false});
    }
    pieces.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(length), src, true});
    i += length;
    literalStart = i;
  }
  if (literalStart < n) {
    pieces.push_back(
        {static_cast<std::uint32_t>(literalStart), static_cast<std::uint32_t>(n - literalStart), 0, false});
  }

  // 2. Which matches to keep: a shortest path over the pieces with two
  // states, "the last piece was an old segment" and "a run of carried bytes
  // is open". Keeping a match costs its segment; carrying it costs its bytes
  // plus a new segment header when it opens a run.
  constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max() / 2;
  std::vector<std::uint8_t> cameFrom(pieces.size() * 2, 0);  // [piece][state] -> previous state
  std::uint64_t cost[2] = {0, kNever};                       // 0: after an old segment (or start), 1: run open
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const Piece& piece = pieces[k];
    std::uint64_t next[2] = {kNever, kNever};
    const std::uint64_t openRun = cost[0] + kNewSegmentHeaderCost + piece.length;
    const std::uint64_t extendRun = cost[1] + piece.length;
    next[1] = std::min(openRun, extendRun);
    cameFrom[k * 2 + 1] = extendRun <= openRun ? 1 : 0;
    if (piece.match) {
      const std::uint8_t from = cost[1] < cost[0] ? 1 : 0;
      next[0] = cost[from] + kOldSegmentCost;
      cameFrom[k * 2] = from;
    }
    cost[0] = next[0];
    cost[1] = next[1];
  }
  std::vector<bool> keep(pieces.size(), false);
  std::uint8_t state = cost[0] <= cost[1] ? 0 : 1;
  for (std::size_t k = pieces.size(); k-- > 0;) {
    keep[k] = state == 0;
    state = cameFrom[k * 2 + state];
  }

  // 3. The segments, with each kept match grown backwards into the carried
  // bytes before it where the installed table agrees, and old segments that
  // continue each other joined.
  TableDifference difference;
  std::size_t runStart = 0;
  bool runOpen = false;
  auto closeRun = [&](std::size_t end) {
    if (runOpen && end > runStart) {
      difference.newSegments.push_back(
          {static_cast<std::uint32_t>(runStart), static_cast<std::uint32_t>(end - runStart)});
    }
    runOpen = false;
  };
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    Piece piece = pieces[k];
    if (!keep[k]) {
      if (!runOpen) {
        runOpen = true;
        runStart = piece.dst;
      }
      continue;
    }
    if (runOpen) {
      while (piece.dst > runStart && piece.src > 0 && m_old[piece.src - 1] == newTable[piece.dst - 1]) {
        --piece.dst;
        --piece.src;
        ++piece.length;
      }
      closeRun(piece.dst);
    }
    if (!difference.oldSegments.empty()) {
      OldSegment& last = difference.oldSegments.back();
      if (last.dstOffset + last.length == piece.dst && last.srcOffset + last.length == piece.src) {
        last.length += piece.length;
        continue;
      }
    }
    difference.oldSegments.push_back({piece.src, piece.length, piece.dst});
  }
  closeRun(n);
  return difference;
}

}  // namespace authoring
