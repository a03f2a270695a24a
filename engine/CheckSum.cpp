// The head checksums of a revised font, and the check of the copy that was
// put in place of the installed font.
#include <algorithm>
#include <cstring>
#include <span>

#include "engine/OpenTypeManager.h"
#include "font/BigEndian.h"
#include "font/ByteReader.h"
#include "font/FontWords.h"
#include "font/HeadTable.h"
#include "font/OpenTypeHeader.h"
#include "font/ResultCode.h"
#include "platform/Files.h"
#include "platform/Runtime.h"

namespace {

constexpr int kStep = 75;

struct HeadEntry {
  std::size_t entryOffset = 0;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// The first of the `numTables` directory entries tagged "head". Entries past
// the end of the image are not read, nor any after them.
bool FindHeadEntry(std::span<const std::uint8_t> image, std::uint16_t numTables, HeadEntry& head) {
  CByteReader reader(image);
  for (std::size_t i = 0; i < numTables; ++i) {
    const std::size_t entryOffset = kOffsetTableSize + kDirectoryEntrySize * i;
    std::uint8_t tag[4];
    if (!reader.Seek(entryOffset) || !reader.ReadTag(tag)) return false;
    if (std::memcmp(tag, "head", 4) != 0) continue;
    std::uint32_t checkSum = 0;
    if (!reader.ReadU32(checkSum) || !reader.ReadU32(head.offset) || !reader.ReadU32(head.length)) return false;
    head.entryOffset = entryOffset;
    return true;
  }
  return false;
}

}  // namespace

// The offset-table values are already in the image and stay as they are;
// only numTables, which bounds the search for head's entry, is read.
int COpenTypeManager::RecalcCheckSum(const std::string& fontPath, std::uint32_t /*sfntVersion*/,
                                     std::uint16_t numTables, std::uint16_t /*searchRange*/,
                                     std::uint16_t /*entrySelector*/, std::uint16_t /*rangeShift*/,
                                     ProgressCallback progress, void* window, int fontCount, int fontIndex) {
  const std::span<std::uint8_t> image(newImage.data(), std::min<std::size_t>(newFontSize, newImage.size()));
  const CByteReader reader(image);
  HeadEntry head;
  // A head table that the image does not hold, or too short to hold the
  // adjustment, counts as none: nothing outside the image is read or written.
  const bool haveHead = FindHeadEntry(image, numTables, head) && reader.Contains(head.offset, head.length) &&
                        head.length >= kHeadCheckSumAdjustmentOffset + 4;
  std::uint32_t adjustment = 0;
  if (haveHead) {
    StoreU32(image.data() + head.offset + kHeadCheckSumAdjustmentOffset, 0);
    // The table zero-padded, as every table's checksum is taken: the bytes
    // after it in the image may already be the next table's.
    const std::uint32_t headSum = CalcTableCheckSum(image.subspan(head.offset, head.length), head.length);
    StoreU32(image.data() + head.entryOffset + 4, headSum);
    // The tables' sums are known when the build laid every table on a word
    // boundary with zeros between them: the font's words are the directory's
    // and the tables'.
    const std::size_t directoryEnd = kOffsetTableSize + kDirectoryEntrySize * std::size_t{numTables};
    const bool summed = m_sumBesideHeadKnown && head.offset % 4 == 0 && directoryEnd <= image.size();
    adjustment = kCheckSumMagic - (summed ? SumFontWords(image.first(directoryEnd)) + m_sumBesideHead + headSum
                                          : SumFontWordsWithTail(image));
  }
  const platform::SplitPathParts parts = platform::SplitPath(fontPath);
  if (ReportStep(progress, window, OverallPercent(fontIndex, fontCount, kStep), kStep, fontPath,
                 FormatText(progress_text::kRecalculating, parts.baseName)) != 0) {
    return result_code::kStopped;
  }
  if (!haveHead) return result_code::kNoHeadTable;
  StoreU32(image.data() + head.offset + kHeadCheckSumAdjustmentOffset, adjustment);
  return result_code::kDone;
}

namespace {

// The file's word sum as it is read, through a buffer of a multiple of 4
// bytes, so that no second copy of the font is held; and, when `expected`
// is given, whether the file is exactly those bytes.
template <typename ReadPieces>
int SumAndCompare(ReadPieces readPieces, std::uint32_t expectedSum, std::span<const std::uint8_t> expected = {}) {
  constexpr std::size_t kPiece = 256 * 1024;
  std::uint32_t sum = 0;
  std::uint64_t size = 0;
  bool same = true;
  const bool read = readPieces(kPiece, [&](std::span<const std::uint8_t> piece) {
    sum += SumFontWords(piece);
    if (!expected.empty()) {
      same = same && size <= expected.size() && piece.size() <= expected.size() - size &&
             std::memcmp(piece.data(), expected.data() + size, piece.size()) == 0;
    }
    size += piece.size();
  });
  if (!read || size == 0) return result_code::kRereadFailed;
  if (!expected.empty() && (!same || size != expected.size())) return result_code::kVerifyMismatch;
  return sum == expectedSum ? result_code::kRevised : result_code::kVerifyMismatch;
}

}  // namespace

int COpenTypeManager::VerifyFontFile(const std::string& fontPath, std::uint32_t expectedSum) const {
  return SumAndCompare(
      [&](std::size_t piece, const std::function<void(std::span<const std::uint8_t>)>& consume) {
        return platform::ReadFileInPieces(fontPath, piece, consume);
      },
      expectedSum);
}

int COpenTypeManager::VerifyFontFile(const platform::FileIdentity& file, std::uint32_t expectedSum,
                                     std::span<const std::uint8_t> expectedBytes) const {
  platform::FileReader reader;
  return SumAndCompare(
      [&](std::size_t piece, const std::function<void(std::span<const std::uint8_t>)>& consume) {
        return reader.Open(file) && reader.ReadInPieces(piece, consume);
      },
      expectedSum, expectedBytes);
}
