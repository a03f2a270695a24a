// The font identity: the name and the revision by which the search
// recognises an installed font, read straight from the table directory.
#include <algorithm>
#include <cstring>

#include "font/BigEndian.h"
#include "font/ByteReader.h"
#include "font/HeadTable.h"
#include "font/NameTable.h"
#include "font/OpenTypeFont.h"

namespace {

// Whether the directory entry at `entryOffset` lies inside `image` and
// carries exactly `tag` (a tag holding a zero byte never equals a name).
bool EntryHasTag(std::span<const std::uint8_t> image, std::size_t entryOffset, const char* tag) {
  return CByteReader(image).Contains(entryOffset, kDirectoryEntrySize) &&
         std::memcmp(image.data() + entryOffset, tag, 4) == 0;
}

// Keeps the name one name entry gave when it is the first by its rule: a
// fifth-record name, from whichever entry, before any other, so that a font
// named by its fifth record is named as it always was.
void TakeName(FontIdentity& identity, FontNameRule rule, std::string& name) {
  if (rule == FontNameRule::kNone) return;
  if (identity.nameFound && !(rule == FontNameRule::kFifthRecord && identity.nameRule != rule)) return;
  identity.nameFound = true;
  identity.nameRule = rule;
  identity.name = name;
}

bool NameSettled(const FontIdentity& identity) { return identity.nameRule == FontNameRule::kFifthRecord; }

}  // namespace

FontNameRule COpenTypeFont::ReadFontNameBy(std::size_t entryIndex, std::string& name, bool fifthRecordOnly,
                                           bool* tableRead) const {
  if (tableRead != nullptr) *tableRead = false;
  const std::span<const std::uint8_t> image = Image();
  const std::size_t entryOffset = kOffsetTableSize + kDirectoryEntrySize * entryIndex;
  if (entryIndex > 0xFFFF || !EntryHasTag(image, entryOffset, "name")) return FontNameRule::kNone;
  CTagNameObject table;
  if (!table.ParseDirectoryEntry(kind_code::kNameTable, image, entryOffset)) return FontNameRule::kNone;
  if (tableRead != nullptr) *tableRead = true;
  // A table cut short still answers from the records that lay inside it.
  table.ParseNameTable(image, kFontNameRecordIndex + 1);
  if (fifthRecordOnly) return table.GetFontName(name) ? FontNameRule::kFifthRecord : FontNameRule::kNone;
  return table.FindFontName(image, name);
}

bool COpenTypeFont::ReadFontRevision(std::size_t entryIndex, std::uint32_t& revision) const {
  const std::span<const std::uint8_t> image = Image();
  const std::size_t entryOffset = kOffsetTableSize + kDirectoryEntrySize * entryIndex;
  if (entryIndex > 0xFFFF || !EntryHasTag(image, entryOffset, "head")) return false;
  CTagHeadObject table;
  if (!table.ParseDirectoryEntry(kind_code::kHeadTable, image, entryOffset) || !table.ParseHeadTable(image)) {
    return false;
  }
  revision = table.headInfo.fontRevision;
  return true;
}

FontIdentity COpenTypeFont::FindIdentityParts() const {
  FontIdentity identity;
  // Only the first name table read is asked for the Windows names: a font
  // has one, and a crafted one naming thousands must not be read whole each
  // time.
  bool fallbackAsked = false;
  const CByteReader reader(Image());
  for (std::size_t i = 0; i < header.numTables; ++i) {
    // Entries past the end of the file are not read, nor any after them.
    if (!reader.Contains(kOffsetTableSize + kDirectoryEntrySize * i, kDirectoryEntrySize)) break;
    if (!NameSettled(identity)) {
      std::string name;
      bool tableRead = false;
      TakeName(identity, ReadFontNameBy(i, name, fallbackAsked, &tableRead), name);
      fallbackAsked = fallbackAsked || tableRead;
    }
    if (!identity.revisionFound) identity.revisionFound = ReadFontRevision(i, identity.revision);
    if (NameSettled(identity) && identity.revisionFound) break;
  }
  return identity;
}

bool COpenTypeFont::FindIdentity(std::uint32_t& revision, std::string& name) const {
  const FontIdentity identity = FindIdentityParts();
  if (!identity.nameFound || !identity.revisionFound) return false;
  revision = identity.revision;
  name = identity.name;
  return true;
}

FontIdentity COpenTypeFont::ReadFontIdentityParts(std::vector<std::uint8_t> image) {
  FontIdentity identity;
  if (LoadImage(std::move(image)) && header.ParseOffsetTable(Image())) identity = FindIdentityParts();
  ReleaseFont();
  return identity;
}

namespace {

// What of a name table the identity read can reach: the header and up to
// 65,535 records (786,426 bytes), and a string at a 16-bit storage offset
// plus a 16-bit record offset. A longer table is read only that far, which
// changes no answer.
constexpr std::uint32_t kNameReach = 1024 * 1024;
// head's fields up to fontRevision and beyond, as ParseHeadTable reads them.
constexpr std::uint32_t kHeadReach = 64;
// All the table bytes one identity read takes; a real font needs one name
// and one head table, a hostile directory naming thousands gets no further.
constexpr std::uint64_t kIdentityBudget = 4 * 1024 * 1024;

}  // namespace

bool COpenTypeFont::ReadFontIdentity(const std::string& path, std::uint32_t& revision, std::string& name,
                                     platform::FileIdentity* seen) {
  ReleaseFont();
  platform::FileReader reader;
  if (!reader.Open(path)) return false;
  if (seen != nullptr) *seen = reader.Identity();
  const std::uint64_t size = reader.Size();
  if (size > kLargestFontFile || size < kOffsetTableSize) return false;
  std::vector<std::uint8_t> offsetTable(kOffsetTableSize);
  if (!reader.ReadAt(0, offsetTable) || !header.ParseOffsetTable(offsetTable)) return false;
  // The entries that lie inside the file, in one read.
  const std::uint64_t entries =
      std::min<std::uint64_t>(header.numTables, (size - kOffsetTableSize) / kDirectoryEntrySize);
  std::vector<std::uint8_t> directory(static_cast<std::size_t>(entries * kDirectoryEntrySize));
  if (!reader.ReadAt(kOffsetTableSize, directory)) return false;
  FontIdentity identity;
  bool fallbackAsked = false;  // as in FindIdentityParts
  std::uint64_t budget = kIdentityBudget;
  for (std::size_t i = 0; i < entries && !(NameSettled(identity) && identity.revisionFound); ++i) {
    const std::uint8_t* entry = directory.data() + kDirectoryEntrySize * i;
    const bool isName = !NameSettled(identity) && std::memcmp(entry, "name", 4) == 0;
    const bool isHead = !identity.revisionFound && std::memcmp(entry, "head", 4) == 0;
    if (!isName && !isHead) continue;
    const std::uint32_t offset = LoadU32(entry + 8);
    const std::uint32_t length = LoadU32(entry + 12);
    if (length > size || offset > size - length) continue;  // not inside the file: yields nothing
    const std::uint32_t take = std::min(length, isName ? kNameReach : kHeadReach);
    if (take > budget) break;
    budget -= take;
    // A font of this one table: the offset table, its entry moved to just
    // after the directory, the bytes read and the image's zero byte after them.
    constexpr std::size_t kTableStart = kOffsetTableSize + kDirectoryEntrySize;
    platform::ImageBuffer one;
    if (!one.Allocate(kTableStart + take + 1)) return false;
    std::memcpy(one.data(), offsetTable.data(), kOffsetTableSize);
    std::memcpy(one.data() + kOffsetTableSize, entry, 8);
    StoreU32(one.data() + kOffsetTableSize + 8, kTableStart);
    StoreU32(one.data() + kOffsetTableSize + 12, take);
    if (!reader.ReadAt(offset, {one.data() + kTableStart, take})) return false;
    COpenTypeFont table;
    if (!table.LoadImage(std::move(one))) continue;
    if (isName) {
      std::string found;
      bool tableRead = false;
      TakeName(identity, table.ReadFontNameBy(0, found, fallbackAsked, &tableRead), found);
      fallbackAsked = fallbackAsked || tableRead;
    }
    if (isHead) identity.revisionFound = table.ReadFontRevision(0, identity.revision);
  }
  ReleaseFont();
  if (!identity.nameFound || !identity.revisionFound) return false;
  revision = identity.revision;
  name = identity.name;
  return true;
}
