// Filling a table object from its directory entry.
#include "font/TagObject.h"

#include <cstring>

#include "font/ByteReader.h"
#include "font/FontWords.h"

bool CTagObject::ParseDirectoryEntry(std::int32_t kindCode, std::span<const std::uint8_t> image,
                                     std::size_t entryOffset) {
  kind = kindCode;
  CByteReader reader(image);
  if (!reader.Seek(entryOffset) || !reader.ReadTag(tag) || !reader.ReadU32(checkSum) || !reader.ReadU32(offset) ||
      !reader.ReadU32(length)) {
    return false;
  }
  entry = image.data() + entryOffset;
  std::memcpy(tagText, tag, 4);
  paddedLength = AlignLength4(length);
  if (!reader.Contains(offset, length)) return false;
  data = image.data() + offset;
  const std::size_t available = image.size() - offset;
  paddedAvailable = available < paddedLength ? static_cast<std::uint32_t>(available) : paddedLength;
  return true;
}

int CompareTableOffset(const CTagObject* a, const CTagObject* b) { return a->offset < b->offset ? -1 : 1; }
