// Reading a "VKTP" patch: the probe of its header, the records and their
// difference blocks. Every read goes through CByteReader, so nothing is read
// past the patch, and every count is compared with the bytes that remain
// before anything is allocated for it.
#include "patch/MakeSabunData.h"

#include <cstring>
#include <limits>

#include "font/ByteReader.h"
#include "font/OpenTypeFont.h"
#include "font/PrintableTag.h"
#include "platform/Resources.h"

namespace {

constexpr const char* kPatchResourceType = "FONT_PA";

}  // namespace

COldTagObject::COldTagObject(std::uint32_t srcOffset, std::uint32_t length, std::uint32_t dstOffset)
    : srcOffset(srcOffset), length(length), dstOffset(dstOffset) {
  kind = kind_code::kOldSegment;
}

CNewTagObject::CNewTagObject(std::uint32_t dstOffset, std::span<const std::uint8_t> bytes)
    : dstOffset(dstOffset), length(static_cast<std::uint32_t>(bytes.size())), m_bytes(bytes) {
  kind = kind_code::kNewSegment;
}

CSabunTagObject::CSabunTagObject() { kind = kind_code::kPatchRecord; }
CSabunTagObject::~CSabunTagObject() = default;

void CSabunTagObject::SetRecord(const std::uint8_t (&recordTag)[4], std::uint8_t newIndex, std::uint8_t fileOrder,
                                std::uint32_t dataOffset, std::uint32_t newLength, std::uint32_t newOffset) {
  std::memcpy(record.tag, recordTag, 4);
  record.newIndex = newIndex;
  record.fileOrder = fileOrder;
  record.dataOffset = dataOffset;
  record.newLength = newLength;
  record.newOffset = newOffset;
  std::memcpy(tag, recordTag, 4);
  tag[4] = '\0';
}

bool CSabunTagObject::ReadDifference(std::span<const std::uint8_t> block) {
  hasDifference = 1;
  CByteReader reader(block);
  std::int32_t oldCount = 0;
  if (!reader.ReadS32(oldCount)) return false;
  if (oldCount > 0) {
    // The whole segment table must be there before one segment is made.
    if (reader.Remaining() / kOldSegmentSize < static_cast<std::size_t>(oldCount)) return false;
    m_oldSegmentStore.reserve(m_oldSegmentStore.size() + static_cast<std::size_t>(oldCount));
    for (std::int32_t k = 0; k < oldCount; ++k) {
      std::uint32_t srcOffset = 0, length = 0, dstOffset = 0;
      if (!reader.ReadU32(srcOffset) || !reader.ReadU32(length) || !reader.ReadU32(dstOffset)) return false;
      m_oldSegmentStore.push_back(std::make_unique<COldTagObject>(srcOffset, length, dstOffset));
      oldSegments.Add(m_oldSegmentStore.back().get());
    }
  }
  std::int32_t newCount = 0;
  if (!reader.ReadS32(newCount)) return false;
  if (newCount > 0) {
    // Each new segment takes at least its 8-byte head.
    if (reader.Remaining() / kNewSegmentHeaderSize < static_cast<std::size_t>(newCount)) return false;
    for (std::int32_t k = 0; k < newCount; ++k) {
      std::uint32_t dstOffset = 0, length = 0;
      std::span<const std::uint8_t> bytes;
      if (!reader.ReadU32(dstOffset) || !reader.ReadU32(length) || !reader.ReadSpan(length, bytes)) return false;
      newSegments.push_back(std::make_unique<CNewTagObject>(dstOffset, bytes));
    }
  }
  return true;
}

std::size_t CSabunTagObject::DifferenceSize() const {
  if (!hasDifference) return 0;
  std::size_t size = 4 + kOldSegmentSize * oldSegments.GetSize() + 4;
  for (const auto& segment : newSegments) size += kNewSegmentHeaderSize + segment->length;
  return size;
}

std::uint64_t CSabunTagObject::SegmentBytes() const {
  std::uint64_t bytes = 0;
  for (const COldTagObject* segment : oldSegments) bytes += segment->length;
  for (const auto& segment : newSegments) bytes += segment->length;
  return bytes;
}

CMakeSabunData::CMakeSabunData() { kind = kind_code::kPatch; }
CMakeSabunData::~CMakeSabunData() { ClearPatch(); }

bool CMakeSabunData::ReadPatchHeader(std::uint16_t resourceNumber, std::string& name, std::uint32_t& revision) const {
  platform::ResourceBytes resource;
  if (!platform::LoadOwnResource(kPatchResourceType, resourceNumber, resource)) return false;
  return ReadPatchHeaderBytes({resource.data, resource.size}, name, revision);
}

bool CMakeSabunData::ReadPatchHeaderBytes(std::span<const std::uint8_t> bytes, std::string& name,
                                          std::uint32_t& revision) {
  // A patch shorter than its header can never be loaded, so it is no
  // candidate either.
  if (bytes.size() < kPatchHeaderSize) return false;
  if (std::memcmp(bytes.data(), kPatchMagic, 4) != 0) return false;
  const char* stored = reinterpret_cast<const char*>(bytes.data() + kPatchFontNameOffset);
  std::size_t nameLength = 0;
  while (nameLength < kPatchFontNameSize && stored[nameLength] != '\0') ++nameLength;
  CByteReader reader(bytes);
  std::uint32_t storedRevision = 0;
  if (!reader.Seek(kPatchRevisionOffset) || !reader.ReadU32(storedRevision)) return false;
  name.assign(stored, nameLength);
  revision = storedRevision;
  return true;
}

bool CMakeSabunData::LoadPatchResource(std::uint16_t resourceNumber) {
  platform::ResourceBytes resource;
  if (!platform::LoadOwnResource(kPatchResourceType, resourceNumber, resource)) {
    ClearPatch();
    refusal = "the program carries no patch " + std::to_string(resourceNumber);
    return false;
  }
  const bool loaded = LoadPatchBytes({resource.data, resource.size});
  // The patch is copied: the executable's pages of it are not needed again.
  platform::SetAsideOwnResources();
  return loaded;
}

bool CMakeSabunData::LoadPatchBytes(std::span<const std::uint8_t> bytes) {
  ClearPatch();
  if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max() - 1u) {
    refusal = "it is empty or 4 GiB or more";
    return false;
  }
  // The header and every record must be there before any is read; the magic
  // is checked again so that a file handed to the tools is not taken for a
  // patch.
  if (bytes.size() < kPatchHeaderSize) {
    refusal = "shorter than the 85-byte header";
    return false;
  }
  if (std::memcmp(bytes.data(), kPatchMagic, 4) != 0) {
    refusal = "does not start with \"VKTP\"";
    return false;
  }
  const std::size_t recordsEnd = kPatchHeaderSize + kPatchRecordSize * bytes[kPatchTableCountOffset];
  if (recordsEnd > bytes.size()) {
    refusal = "its " + std::to_string(bytes[kPatchTableCountOffset]) + " table records run past its end";
    return false;
  }

  patchSize = static_cast<std::uint32_t>(bytes.size());
  // With room for the zero after them, so that it does not move the bytes.
  patchBytes.reserve(bytes.size() + 1);
  patchBytes.assign(bytes.begin(), bytes.end());
  patchBytes.push_back(0);
  const std::span<const std::uint8_t> patch(patchBytes.data(), patchSize);

  CByteReader reader(patch);
  if (!reader.ReadBytes(magic, 4) || !reader.ReadBytes(fontName, kPatchFontNameSize) || !reader.ReadU32(oldRevision) ||
      !reader.ReadU32(newFileSize) || !reader.ReadU8(tableCount) || !reader.ReadBytes(reserved, 8)) {
    return false;
  }
  // The revised font is built whole in memory: a size no font can have is
  // refused before anything is made for it.
  if (newFileSize > kLargestFontFile) {
    refusal = "it declares a revised font of " + std::to_string(newFileSize) + " bytes, larger than any font (" +
              std::to_string(kLargestFontFile) + " bytes at most)";
    return false;
  }
  if (tableCount == 0) return true;

  // The blocks together cannot hold more than the patch: records that share
  // one block cannot multiply the memory a patch takes.
  std::size_t blockBytes = 0;
  for (std::size_t i = 0; i < tableCount; ++i) {
    std::uint8_t recordTag[4];
    std::uint8_t newIndex = 0, fileOrder = 0;
    std::uint32_t dataOffset = 0, newLength = 0, newOffset = 0;
    if (!reader.Seek(kPatchHeaderSize + kPatchRecordSize * i) || !reader.ReadTag(recordTag) ||
        !reader.ReadU8(newIndex) || !reader.ReadU8(fileOrder) || !reader.ReadU32(dataOffset) ||
        !reader.ReadU32(newLength) || !reader.ReadU32(newOffset)) {
      return false;
    }
    auto record = std::make_unique<CSabunTagObject>();
    record->SetRecord(recordTag, newIndex, fileOrder, dataOffset, newLength, newOffset);
    CSabunTagObject& stored = *record;
    records.push_back(std::move(record));
    const std::string which = "record " + std::to_string(i) + " ('" + PrintableTag(recordTag) + "'): ";
    if (dataOffset >= patchSize) {
      refusal = which + "dataOffset is not below the patch size";
      return false;
    }
    if (dataOffset != 0) {
      if (!stored.ReadDifference(patch.subspan(dataOffset))) {
        refusal = which + "its difference block runs past the end of the patch";
        return false;
      }
      blockBytes += stored.DifferenceSize();
      if (blockBytes > patchSize) {
        refusal = which + "its difference block takes bytes another block takes";
        return false;
      }
      // A table is made of copies and carried bytes only: the zeros between
      // them cannot make it longer than they are, nor than the font.
      if (newLength > newFileSize) {
        refusal = which + "it declares a table of " + std::to_string(newLength) +
                  " bytes, larger than the revised font (" + std::to_string(newFileSize) + " bytes)";
        return false;
      }
      if (newLength > stored.SegmentBytes()) {
        refusal = which + "it declares a table of " + std::to_string(newLength) +
                  " bytes, but its copies and carried bytes give at most " + std::to_string(stored.SegmentBytes());
        return false;
      }
    }
  }
  return true;
}

CSabunTagObject* CMakeSabunData::FindRecordByIndex(int index) const {
  for (const auto& record : records) {
    if (record->record.newIndex == index) return record.get();
  }
  return nullptr;
}

void CMakeSabunData::ClearPatch() {
  records.clear();
  patchBytes.clear();
  patchBytes.shrink_to_fit();
  patchSize = 0;
  std::memset(magic, 0, sizeof magic);
  std::memset(fontName, 0, sizeof fontName);
  oldRevision = 0;
  newFileSize = 0;
  tableCount = 0;
  std::memset(reserved, 0, sizeof reserved);
  refusal.clear();
}
