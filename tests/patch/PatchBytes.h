// Builds "VKTP" patch bytes for tests, written out field by field so that a
// test states exactly what a patch holds.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace test_patch {

struct OldSegment {
  std::uint32_t srcOffset;
  std::uint32_t length;
  std::uint32_t dstOffset;
};

struct NewSegment {
  std::uint32_t dstOffset;
  std::vector<std::uint8_t> bytes;
};

struct Record {
  std::string tag;  // four characters
  std::uint8_t newIndex = 0;
  std::uint8_t fileOrder = 0;
  std::uint32_t newLength = 0;
  std::uint32_t newOffset = 0;
  bool difference = false;  // false: dataOffset 0, the installed table is kept
  std::vector<OldSegment> olds;
  std::vector<NewSegment> news;
};

// A record whose table is kept from the installed font.
inline Record Keep(const std::string& tag, std::uint8_t newIndex, std::uint8_t fileOrder, std::uint32_t newLength,
                   std::uint32_t newOffset) {
  Record r;
  r.tag = tag;
  r.newIndex = newIndex;
  r.fileOrder = fileOrder;
  r.newLength = newLength;
  r.newOffset = newOffset;
  return r;
}

// A record with a difference block of these segments.
inline Record Diff(const std::string& tag, std::uint8_t newIndex, std::uint8_t fileOrder, std::uint32_t newLength,
                   std::uint32_t newOffset, std::vector<OldSegment> olds = {}, std::vector<NewSegment> news = {}) {
  Record r = Keep(tag, newIndex, fileOrder, newLength, newOffset);
  r.difference = true;
  r.olds = std::move(olds);
  r.news = std::move(news);
  return r;
}

inline void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4);
  bytes[at] = static_cast<std::uint8_t>(value >> 24);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 16);
  bytes[at + 2] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 3] = static_cast<std::uint8_t>(value);
}

inline void Append32(std::vector<std::uint8_t>& bytes, std::uint32_t value) { Put32(bytes, bytes.size(), value); }

// The difference block of `record`: the old segment count, the old
// segments, the new segment count, the new segments with their bytes.
inline std::vector<std::uint8_t> Block(const Record& record) {
  std::vector<std::uint8_t> block;
  Append32(block, static_cast<std::uint32_t>(record.olds.size()));
  for (const OldSegment& s : record.olds) {
    Append32(block, s.srcOffset);
    Append32(block, s.length);
    Append32(block, s.dstOffset);
  }
  Append32(block, static_cast<std::uint32_t>(record.news.size()));
  for (const NewSegment& s : record.news) {
    Append32(block, s.dstOffset);
    Append32(block, static_cast<std::uint32_t>(s.bytes.size()));
    block.insert(block.end(), s.bytes.begin(), s.bytes.end());
  }
  return block;
}

// The 85-byte header, the records in the given (stored) order, then the
// blocks of the records that have one, back to back in record order.
inline std::vector<std::uint8_t> Build(const std::string& fontName, std::uint32_t oldRevision,
                                       std::uint32_t newFileSize, const std::vector<Record>& records,
                                       const std::uint8_t (&reserved)[8] = {0, 0, 0, 0, 0xE1, 0x58, 0xC5, 0}) {
  std::vector<std::uint8_t> patch(85 + 18 * records.size(), 0);
  std::memcpy(patch.data(), "VKTP", 4);
  std::memcpy(patch.data() + 4, fontName.data(), fontName.size() < 64 ? fontName.size() : 64);
  Put32(patch, 68, oldRevision);
  Put32(patch, 72, newFileSize);
  patch[76] = static_cast<std::uint8_t>(records.size());
  std::memcpy(patch.data() + 77, reserved, 8);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    const std::size_t at = 85 + 18 * i;
    std::memcpy(patch.data() + at, r.tag.data(), 4);
    patch[at + 4] = r.newIndex;
    patch[at + 5] = r.fileOrder;
    if (r.difference) {
      Put32(patch, at + 6, static_cast<std::uint32_t>(patch.size()));
      const std::vector<std::uint8_t> block = Block(r);
      patch.insert(patch.end(), block.begin(), block.end());
    }
    Put32(patch, at + 10, r.newLength);
    Put32(patch, at + 14, r.newOffset);
  }
  return patch;
}

}  // namespace test_patch
