// Building the revised font: the patch is loaded, every table is rebuilt
// from it straight into the image exactly where the patch puts it, and
// the new directory is written before them; then the checksums are fixed and
// the image is written to a new temporary file.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "font/BigEndian.h"
#include "font/ByteWriter.h"
#include "font/FontWords.h"
#include "font/ResultCode.h"
#include "patch/ApplyPatchRecord.h"
#include "patch/MakeSabunData.h"
#include "platform/Files.h"
#include "platform/Runtime.h"

namespace {

// Frees the new image whichever way a build from bytes returns.
class NewImageRelease {
 public:
  explicit NewImageRelease(platform::ImageBuffer& image) : m_image(image) {}
  ~NewImageRelease() {
    if (!m_kept) m_image.Release();
  }
  void Keep() { m_kept = true; }
  NewImageRelease(const NewImageRelease&) = delete;
  NewImageRelease& operator=(const NewImageRelease&) = delete;

 private:
  platform::ImageBuffer& m_image;
  bool m_kept = false;
};

struct Placement {
  std::uint32_t offset;
  std::uint32_t length;
};

// Whether the tables, each with its unpadded length and sorted by offset,
// lie one after another without sharing a byte. Empty tables share nothing.
bool NoOverlap(const std::vector<Placement>& sorted) {
  std::uint64_t end = 0;
  for (const Placement& p : sorted) {
    if (p.length == 0) continue;
    if (p.offset < end) return false;
    end = std::uint64_t{p.offset} + p.length;
  }
  return true;
}

// Zeroes what no table takes of the image after the directory: the padding
// between tables (sorted by offset, none sharing a byte) and after the last.
void ZeroBetweenTables(std::span<std::uint8_t> image, std::uint64_t directoryEnd,
                       const std::vector<Placement>& sorted) {
  std::uint64_t at = directoryEnd;
  for (const Placement& p : sorted) {
    if (p.length == 0) continue;
    if (p.offset > at) std::memset(image.data() + at, 0, static_cast<std::size_t>(p.offset - at));
    at = std::uint64_t{p.offset} + p.length;
  }
  if (at < image.size()) std::memset(image.data() + at, 0, static_cast<std::size_t>(image.size() - at));
}

}  // namespace

int COpenTypeManager::BuildNewFont(const std::string& fontPath, std::uint16_t resourceNumber,
                                   const std::string& tempPath, ProgressCallback progress, void* window, int fontCount,
                                   int fontIndex) {
  return BuildNewFontWith(
      fontPath, [resourceNumber](CMakeSabunData& loaded) { return loaded.LoadPatchResource(resourceNumber); }, tempPath,
      progress, window, fontCount, fontIndex);
}

int COpenTypeManager::BuildNewFontFromBytes(const std::string& fontPath, std::span<const std::uint8_t> patchBytes,
                                            const std::string& tempPath, ProgressCallback progress, void* window,
                                            int fontCount, int fontIndex) {
  NewImageRelease release(newImage);
  return BuildNewFontWith(
      fontPath, [patchBytes](CMakeSabunData& loaded) { return loaded.LoadPatchBytes(patchBytes); }, tempPath, progress,
      window, fontCount, fontIndex);
}

int COpenTypeManager::BuildNewFontWith(const std::string& fontPath,
                                       const std::function<bool(CMakeSabunData&)>& loadPatch,
                                       const std::string& tempPath, ProgressCallback progress, void* window,
                                       int fontCount, int fontIndex) {
  // A failed build leaves no image; a built one stays for the caller (the
  // update puts it in place and compares what it reads back with it) until
  // ReleaseFont.
  NewImageRelease releaseOnFailure(newImage);
  tempFileWritten = false;
  const std::string baseName = platform::SplitPath(fontPath).baseName;

  if (ReportStep(progress, window, OverallPercent(fontIndex, fontCount, 40), 40, fontPath,
                 FormatText(progress_text::kOpening, baseName)) != 0) {
    return result_code::kStopped;
  }
  patch = std::make_unique<CMakeSabunData>();
  if (!loadPatch(*patch)) return result_code::kPatchUnreadable;
  if (ReportStep(progress, window, OverallPercent(fontIndex, fontCount, 55), 55, fontPath,
                 FormatText(progress_text::kReading, baseName)) != 0) {
    return result_code::kStopped;
  }

  // The patch must describe this font: one record per table of the revised
  // font, every slot of the new directory taken once, every table inside the
  // new file after the directory and no two tables sharing a byte. A table
  // of the installed font that no record names is dropped; a record whose
  // tag the installed font lacks adds a table, which must be carried whole.
  // Anything else is refused before a byte is written.
  if (fileImage.empty() || header.fontKind != 2) return result_code::kFailed;
  const std::size_t tableTotal = patch->tableCount;
  if (header.numTables != tables.size()) return result_code::kFailed;
  const std::uint32_t size = patch->newFileSize;
  const std::uint64_t directoryEnd = kOffsetTableSize + kDirectoryEntrySize * std::uint64_t{tableTotal};
  // A new font larger than the reader takes could never be verified.
  if (size < directoryEnd || size > kLargestFontFile) return result_code::kFailed;

  // Every record is matched with its table and placed before any table is
  // rebuilt: the new lengths are known up front, so together the rebuilt
  // tables can never take more memory than the new file.
  std::vector<const CSabunTagObject*> records(tableTotal, nullptr);
  std::vector<CTagObject*> bySlot(tableTotal, nullptr);
  std::vector<std::unique_ptr<CTagObject>> added;  // tables the installed font lacks
  std::vector<Placement> placements;
  placements.reserve(tableTotal);
  for (std::size_t i = 0; i < tableTotal; ++i) {
    const CSabunTagObject* record = patch->FindRecordByIndex(static_cast<int>(i));
    if (record == nullptr) return result_code::kFailed;  // a slot no record takes, so two records share another
    for (std::size_t j = 0; j < i; ++j) {
      if (std::memcmp(records[j]->record.tag, record->record.tag, 4) == 0) return result_code::kFailed;  // a tag twice
    }
    char tagText[5];
    std::memcpy(tagText, record->tag, sizeof tagText);
    CTagObject* table = FindTagObject(tagText);
    if (table == nullptr) {
      // An added table starts from an empty installed table: only a record
      // that carries all of it can build it.
      if (!record->hasDifference || record->oldSegments.GetSize() != 0 || !IsTableTag(record->record.tag)) {
        return result_code::kFailed;
      }
      auto empty = std::make_unique<CTagObject>();
      empty->kind = kind_code::kTable;
      std::memcpy(empty->tag, record->record.tag, 4);
      std::memcpy(empty->tagText, record->record.tag, 4);
      table = empty.get();
      added.push_back(std::move(empty));
    }
    const std::uint32_t length = record->hasDifference ? record->record.newLength : table->length;
    const std::uint32_t offset = record->record.newOffset;
    if (offset < directoryEnd || length > size || offset > size - length) return result_code::kFailed;
    // Copies only from the installed table, and no table longer than its
    // segments give: checked for every table before the image is allocated.
    if (!RecordFitsTable(*table, *record)) return result_code::kFailed;
    records[i] = record;
    bySlot[i] = table;
    placements.push_back({offset, length});
  }
  // The installed font's offset table is kept when the revised font has its
  // tables; with a table added or dropped, it is the one for the new count.
  const bool sameTables = added.empty() && tableTotal == tables.size();
  const COpenTypeHeader offsetTable = sameTables ? header : OffsetTableFor(header.sfntVersion, tableTotal);
  // The file ends with its last table and that table's padding: a larger
  // size would only make the program allocate and write zeros.
  std::uint64_t tablesEnd = directoryEnd;
  for (const Placement& p : placements) tablesEnd = std::max(tablesEnd, std::uint64_t{p.offset} + p.length);
  if (size > ((tablesEnd + 3) & ~std::uint64_t{3})) return result_code::kFailed;
  // Nor can gaps between the tables make it much larger than what the font
  // and the patch give: the tables back to back, each padded to a multiple
  // of 4, after a directory with room for the revised font's tables or for
  // the installed font's (a revision that drops a table may keep its room).
  // A gap is zeros that neither holds; a released font may still have some
  // (a table taken out and its place left), so gaps up to the installed
  // font's size are taken.
  std::uint64_t given = kOffsetTableSize + kDirectoryEntrySize * std::uint64_t{std::max(tableTotal, tables.size())};
  for (const Placement& p : placements) given += (std::uint64_t{p.length} + 3) & ~std::uint64_t{3};
  if (size > given + fileImage.size()) return result_code::kFailed;
  std::sort(placements.begin(), placements.end(),
            [](const Placement& a, const Placement& b) { return a.offset < b.offset; });
  if (!NoOverlap(placements)) return result_code::kFailed;
  // The image may hold another font's bytes (its block is reused), and is
  // not cleared as a whole: every byte is written once. The directory is
  // written whole below (every slot is taken), each table's bytes by
  // ApplyPatchRecordInto, and the rest, the padding, here.
  if (!newImage.Allocate(size)) return result_code::kFailed;
  ZeroBetweenTables(newImage, directoryEnd, placements);
  // Each table is assembled in its place in the image, so the font's bytes
  // are copied once.
  for (std::size_t i = 0; i < tableTotal; ++i) {
    if (ApplyPatchRecordInto(*bySlot[i], *records[i], newImage) == 0) return result_code::kFailed;
  }
  // Tables on word boundaries, zero between them: each table's checksum is
  // its share of the font's word sum.
  m_sumBesideHead = 0;
  m_sumBesideHeadKnown =
      std::all_of(placements.begin(), placements.end(), [](const Placement& p) { return p.offset % 4 == 0; });
  for (const CTagObject* table : bySlot) {
    if (std::memcmp(table->tag, "head", 4) != 0) m_sumBesideHead += table->newCheckSum;
  }
  newFontSize = size;
  std::uint8_t* image = newImage.data();
  // The directory lies inside the image (size is at least directoryEnd).
  CByteWriter out(newImage);
  bool written = out.U32(offsetTable.sfntVersion) && out.U16(offsetTable.numTables) &&
                 out.U16(offsetTable.searchRange) && out.U16(offsetTable.entrySelector) &&
                 out.U16(offsetTable.rangeShift);
  for (const CTagObject* table : bySlot) {
    written = written && out.Seek(kOffsetTableSize + kDirectoryEntrySize * table->directorySlot) &&
              out.Bytes(table->tag, 4) && out.U32(table->newCheckSum) && out.U32(table->newOffset) &&
              out.U32(table->newLength);
  }
  if (!written) return result_code::kFailed;

  const int recalculated =
      RecalcCheckSum(fontPath, offsetTable.sfntVersion, offsetTable.numTables, offsetTable.searchRange,
                     offsetTable.entrySelector, offsetTable.rangeShift, progress, window, fontCount, fontIndex);
  const bool summed = m_sumBesideHeadKnown;
  m_sumBesideHeadKnown = false;
  if (recalculated != 0) return recalculated;
  // The revision the revised font carries, for the run's record.
  if (const CTagObject* head = FindTagObject("head"); head != nullptr && head->newLength >= 8)
    newRevision = LoadU32(image + head->newOffset + 4);

  // A stop asked for here comes too late to spare the write: the file is
  // still written and the caller discards it.
  const int result = ReportStep(progress, window, OverallPercentFloat(fontIndex, fontCount, 90), 90, fontPath,
                                FormatText(progress_text::kCreating, baseName)) != 0
                         ? result_code::kStopped
                         : result_code::kDone;
  if (!platform::WriteNewFile(tempPath, image, size)) return result_code::kCannotWrite;
  tempFileWritten = true;
  // With the adjustment in place on a word boundary the font sums to the
  // magic number, its 1 to 3 last bytes counted as a word; the whole words
  // alone are that less the last word.
  const std::size_t whole = size / 4 * 4;
  expectedFileSum +=
      summed ? kCheckSumMagic - SumFontWordsWithTail({image + whole, size - whole}) : SumFontWords({image, size});
  if (result == result_code::kDone) releaseOnFailure.Keep();
  return result;
}
