// The font identity: the name and the revision by which the search
// recognises an installed font, read straight from the table directory.
#include <cstring>

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

}  // namespace

bool COpenTypeFont::ReadFontName(std::size_t entryIndex, std::string& name) const {
  const std::span<const std::uint8_t> image = Image();
  const std::size_t entryOffset = kOffsetTableSize + kDirectoryEntrySize * entryIndex;
  if (entryIndex > 0xFFFF || !EntryHasTag(image, entryOffset, "name")) return false;
  CTagNameObject table;
  if (!table.ParseDirectoryEntry(kind_code::kNameTable, image, entryOffset)) return false;
  // A table cut short still answers from the records that lay inside it.
  table.ParseNameTable(image, kFontNameRecordIndex + 1);
  return table.GetFontName(name);
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
  const CByteReader reader(Image());
  for (std::size_t i = 0; i < header.numTables; ++i) {
    // Entries past the end of the file are not read, nor any after them.
    if (!reader.Contains(kOffsetTableSize + kDirectoryEntrySize * i, kDirectoryEntrySize)) break;
    if (!identity.nameFound) identity.nameFound = ReadFontName(i, identity.name);
    if (!identity.revisionFound) identity.revisionFound = ReadFontRevision(i, identity.revision);
    if (identity.nameFound && identity.revisionFound) break;
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
