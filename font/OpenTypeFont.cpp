// Loading a font file into its offset table and table objects.
#include "font/OpenTypeFont.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "font/BigEndian.h"
#include "font/PrintableTag.h"
#include "font/ResultCode.h"
#include "platform/Files.h"
#include "platform/Runtime.h"

namespace {

int Report(ProgressCallback progress, void* window, int fontCount, int fontIndex, int step, const std::string& path,
           const std::string& line2) {
  return ReportStep(progress, window, OverallPercent(fontIndex, fontCount, step), step, path, line2);
}

}  // namespace

bool IsTableTag(const std::uint8_t* tag) {
  bool spaceSeen = false;
  for (int i = 0; i < 4; ++i) {
    if (tag[i] < 0x20 || tag[i] > 0x7E) return false;
    if (tag[i] == 0x20) {
      spaceSeen = true;
    } else if (spaceSeen) {
      return false;
    }
  }
  return true;
}

COpenTypeFont::COpenTypeFont() {
  kind = kind_code::kManager;
  header.owner = this;
}

COpenTypeFont::~COpenTypeFont() { ReleaseFont(); }

void COpenTypeFont::ReleaseFont() {
  tablesByOffset.RemoveAll();
  tables.clear();
  fileImage.Release();
  fileLength = 0;
  refusal.clear();
  file = platform::FileIdentity();
  // A later read that fails early must not leave the last font's values.
  header = COpenTypeHeader();
  header.owner = this;
}

bool COpenTypeFont::LoadImage(std::vector<std::uint8_t> image) {
  ReleaseFont();
  if (image.empty() || image.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1)) {
    return false;
  }
  platform::ImageBuffer copy;
  if (!copy.Allocate(image.size() + 1)) return false;
  std::memcpy(copy.data(), image.data(), image.size());
  return LoadImage(std::move(copy));
}

bool COpenTypeFont::LoadImage(platform::ImageBuffer&& image) {
  ReleaseFont();
  if (image.size() < 2 || image.size() - 1 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1)) {
    return false;
  }
  fileLength = static_cast<std::int32_t>(image.size() - 1);
  fileImage = std::move(image);
  fileImage[static_cast<std::size_t>(fileLength)] = 0;
  return true;
}

namespace {

// Why an image with no 'OTTO' offset table is no font the updater reads.
std::string OffsetTableRefusal(std::span<const std::uint8_t> image) {
  if (image.size() < kOffsetTableSize)
    return "it is too short to be an 'OTTO' font (" + std::to_string(image.size()) + " bytes)";
  const std::uint32_t version = LoadU32(image.data());
  if (version == 0x00010000 || version == 0x74727565) return "it has TrueType outlines, not CFF ('OTTO')";
  if (version == 0x74746366) return "it is a font collection; take one face out of it first";
  if (version == 0x774F4646 || version == 0x774F4632) return "it is a WOFF web font, not an installed font";
  return "it is not an OpenType CFF ('OTTO') font";
}

}  // namespace

int COpenTypeFont::ReadFontFile(const std::string& path, ProgressCallback progress, void* window, int fontCount,
                                int fontIndex) {
  ReleaseFont();
  platform::FileReader reader;
  if (!reader.Open(path)) {
    refusal = "it cannot be read";
    return result_code::kFailed;
  }
  return ReadFontFrom(reader, path, progress, window, fontCount, fontIndex);
}

int COpenTypeFont::ReadFontFile(const platform::FileIdentity& identity, ProgressCallback progress, void* window,
                                int fontCount, int fontIndex) {
  ReleaseFont();
  platform::FileReader reader;
  if (!reader.Open(identity)) {
    refusal = "it is no longer the file the search found";
    return result_code::kFailed;
  }
  return ReadFontFrom(reader, identity.Path(), progress, window, fontCount, fontIndex);
}

int COpenTypeFont::ReadFontFrom(platform::FileReader& reader, const std::string& path, ProgressCallback progress,
                                void* window, int fontCount, int fontIndex) {
  platform::ImageBuffer image;
  if (reader.Size() > kLargestFontFile) {
    refusal = "it is larger than any font the updater revises";
    return result_code::kFailed;
  }
  if (!reader.ReadWhole(image, kLargestFontFile)) {
    refusal = "it cannot be read";
    return result_code::kFailed;
  }
  const int result = ParseLoadedImage(LoadImage(std::move(image)), path, progress, window, fontCount, fontIndex);
  file = reader.Identity();
  return result;
}

int COpenTypeFont::ReadFontImage(std::vector<std::uint8_t> image, const std::string& path, ProgressCallback progress,
                                 void* window, int fontCount, int fontIndex) {
  return ParseLoadedImage(LoadImage(std::move(image)), path, progress, window, fontCount, fontIndex);
}

int COpenTypeFont::ParseLoadedImage(bool loaded, const std::string& path, ProgressCallback progress, void* window,
                                    int fontCount, int fontIndex) {
  const platform::SplitPathParts parts = platform::SplitPath(path);
  fileName = parts.baseName + parts.extension;
  if (!loaded) {
    refusal = "it is empty or too large";
    return result_code::kFailed;
  }
  const int result = ParseFontImage(path, parts.baseName, progress, window, fontCount, fontIndex);
  if (result == result_code::kStopped) refusal = "stopped";
  if (result != 0) {
    // A refused font keeps nothing that points into its image.
    tablesByOffset.RemoveAll();
    tables.clear();
  }
  return result;
}

int COpenTypeFont::ParseFontImage(const std::string& path, const std::string& baseName, ProgressCallback progress,
                                  void* window, int fontCount, int fontIndex) {
  if (Report(progress, window, fontCount, fontIndex, 10, path, FormatText(progress_text::kOpening, baseName))) {
    return result_code::kStopped;
  }
  const std::span<const std::uint8_t> image = Image();
  if (!header.ParseOffsetTable(image)) {
    if (Report(progress, window, fontCount, fontIndex, 30, path, progress_text::kTablesRead))
      return result_code::kStopped;
    refusal = OffsetTableRefusal(image);
    return result_code::kFailed;
  }
  if (Report(progress, window, fontCount, fontIndex, 20, path, FormatText(progress_text::kReading, baseName))) {
    return result_code::kStopped;
  }
  // The whole directory must lie inside the file before any entry is read.
  const std::size_t directoryEnd = kOffsetTableSize + kDirectoryEntrySize * header.numTables;
  if (directoryEnd > image.size()) {
    refusal = "its table directory runs past its end";
    return result_code::kFailed;
  }
  for (std::size_t i = 0; i < header.numTables; ++i) {
    const std::size_t entryOffset = kOffsetTableSize + kDirectoryEntrySize * i;
    const std::uint8_t* tag = image.data() + entryOffset;
    if (!IsTableTag(tag)) {
      refusal = "it has a table tag that is not four printable characters ('" + PrintableTag(tag) + "')";
      return result_code::kFailed;
    }
    auto table = std::make_unique<CTagObject>();
    const bool inside = table->ParseDirectoryEntry(kind_code::kTable, image, entryOffset);
    tables.push_back(std::move(table));
    if (!inside) {
      refusal = "table '" + PrintableTag(image.data() + entryOffset) + "' runs past the end of the file";
      return result_code::kFailed;
    }
  }
  // FindTagObject takes the first of a tag: a second one would be carried by
  // no patch record, so such a font is refused rather than half revised.
  std::vector<std::uint32_t> tags;
  tags.reserve(tables.size());
  for (const auto& table : tables) tags.push_back(LoadU32(table->tag));
  std::sort(tags.begin(), tags.end());
  const auto twice = std::adjacent_find(tags.begin(), tags.end());
  if (twice != tags.end()) {
    std::uint8_t tag[4];
    StoreU32(tag, *twice);
    refusal = "it has table '" + PrintableTag(tag) + "' twice";
    return result_code::kFailed;
  }
  if (Report(progress, window, fontCount, fontIndex, 30, path, progress_text::kTablesRead))
    return result_code::kStopped;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    tables[i]->directorySlot = static_cast<std::int32_t>(i);
    tablesByOffset.Add(tables[i].get());
  }
  tablesByOffset.Sort(CompareTableOffset);
  for (std::size_t i = 0; i < tablesByOffset.GetSize(); ++i) {
    tablesByOffset[i]->dataOrder = static_cast<std::int32_t>(i);
  }
  return result_code::kDone;
}

CTagObject* COpenTypeFont::FindTagObject(const char* tagText) const {
  for (const auto& table : tables) {
    if (std::strcmp(table->tagText, tagText) == 0) return table.get();
  }
  return nullptr;
}

bool COpenTypeFont::ReadFontIdentityImage(std::vector<std::uint8_t> image, std::uint32_t& revision, std::string& name) {
  const bool found = LoadImage(std::move(image)) && header.ParseOffsetTable(Image()) && FindIdentity(revision, name);
  ReleaseFont();
  return found;
}
