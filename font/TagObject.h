// One table of a loaded font: its directory entry, where its bytes lie in the
// file image, and the table's rebuilt form during an update.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "font/OpenTypeObject.h"

// A CTagObject points into the file image of the font that created it: the
// image must outlive the object (COpenTypeFont releases both together).
class CTagObject : public COpenTypeObject {
 public:
  CTagObject() = default;
  ~CTagObject() override = default;

  // Fills the object from the 16-byte directory entry at `entryOffset` of
  // `image`, recording `kindCode`. False (and the object unusable) when the
  // entry or the table's `length` bytes do not lie inside the image.
  bool ParseDirectoryEntry(std::int32_t kindCode, std::span<const std::uint8_t> image, std::size_t entryOffset);

  // The table's bytes in the file image, `length` of them.
  std::span<const std::uint8_t> Data() const { return {data, length}; }
  // The table and the bytes after it up to the padded length, as far as the
  // image holds them (the last table of a file may lack its padding).
  std::span<const std::uint8_t> PaddedData() const { return {data, paddedAvailable}; }

  std::uint8_t tag[4] = {0, 0, 0, 0};
  std::uint32_t checkSum = 0;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
  char tagText[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // the tag and a zero word
  std::uint32_t paddedLength = 0;
  const std::uint8_t* entry = nullptr;  // the directory entry in the image
  const std::uint8_t* data = nullptr;   // the table's first byte in the image
  std::uint32_t paddedAvailable = 0;    // bytes of the image from `data`, at most paddedLength
  std::int32_t directorySlot = 0;
  std::int32_t dataOrder = 0;

  // The rebuilt table (filled by ApplyPatchRecord; a build assembles the
  // tables in the new image instead and leaves it empty): paddedLength bytes,
  // zero past newLength, and one more zero byte after them.
  std::vector<std::uint8_t> newData;
  std::uint8_t newTag[4] = {0, 0, 0, 0};
  std::uint32_t newCheckSum = 0;
  std::uint32_t newOffset = 0;
  std::uint32_t newLength = 0;
};

// -1 when a's offset is smaller (unsigned), 1 otherwise; never 0.
int CompareTableOffset(const CTagObject* a, const CTagObject* b);
