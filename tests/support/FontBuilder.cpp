// Crafted fonts and faces taken out of collections.
#include "tests/support/FontBuilder.h"

#include <cstring>

#include "font/BigEndian.h"
#include "font/ByteReader.h"
#include "font/ByteWriter.h"
#include "font/FontWords.h"

namespace test_support {

// The crafted bytes grow to take the field, then go through the program's
// own writer.
void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
  if (bytes.size() < at + 2) bytes.resize(at + 2);
  CByteWriter out(bytes);
  out.Seek(at);
  out.U16(value);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4);
  CByteWriter out(bytes);
  out.Seek(at);
  out.U32(value);
}

std::vector<std::uint8_t> BuildFont(const std::vector<CraftedTable>& tables,
                                    const std::vector<std::size_t>& fileOrder) {
  std::vector<std::size_t> order = fileOrder;
  if (order.empty()) {
    for (std::size_t i = 0; i < tables.size(); ++i) order.push_back(i);
  }
  const std::uint16_t count = static_cast<std::uint16_t>(tables.size());
  std::uint16_t power = 1, selector = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++selector;
  }
  std::vector<std::uint8_t> font(12 + 16 * tables.size(), 0);
  PutU32(font, 0, 0x4F54544F);
  PutU16(font, 4, count);
  PutU16(font, 6, static_cast<std::uint16_t>(count ? power * 16 : 0));
  PutU16(font, 8, selector);
  PutU16(font, 10, static_cast<std::uint16_t>(count ? count * 16 - power * 16 : 0));
  std::vector<std::uint32_t> offsets(tables.size(), 0);
  for (std::size_t i : order) {
    offsets[i] = static_cast<std::uint32_t>(font.size());
    font.insert(font.end(), tables[i].data.begin(), tables[i].data.end());
    font.resize(AlignLength4(static_cast<std::uint32_t>(font.size())), 0);
  }
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const std::size_t entry = 12 + 16 * i;
    std::memcpy(font.data() + entry, tables[i].tag.data(), 4);
    PutU32(font, entry + 4, CalcTableCheckSum(tables[i].data, static_cast<std::uint32_t>(tables[i].data.size())));
    PutU32(font, entry + 8, offsets[i]);
    PutU32(font, entry + 12, static_cast<std::uint32_t>(tables[i].data.size()));
  }
  return font;
}

std::vector<std::uint8_t> HeadTable(std::uint32_t fontRevision) {
  std::vector<std::uint8_t> head(54, 0);
  PutU32(head, 0, 0x00010000);
  PutU32(head, 4, fontRevision);
  PutU32(head, 12, 0x5F0F3CF5);
  PutU16(head, 18, 1000);
  return head;
}

std::vector<std::uint8_t> NameTable(const std::vector<std::string>& names) {
  const std::size_t count = names.size();
  std::vector<std::uint8_t> table(6 + 12 * count, 0);
  PutU16(table, 2, static_cast<std::uint16_t>(count));
  PutU16(table, 4, static_cast<std::uint16_t>(6 + 12 * count));
  std::size_t stringOffset = 0;
  std::vector<std::uint8_t> storage;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t record = 6 + 12 * i;
    PutU16(table, record + 0, 1);
    PutU16(table, record + 6, static_cast<std::uint16_t>(i));
    PutU16(table, record + 8, static_cast<std::uint16_t>(names[i].size()));
    PutU16(table, record + 10, static_cast<std::uint16_t>(stringOffset));
    storage.insert(storage.end(), names[i].begin(), names[i].end());
    stringOffset += names[i].size();
  }
  table.insert(table.end(), storage.begin(), storage.end());
  return table;
}

std::vector<std::uint8_t> ExtractCollectionFace(const std::vector<std::uint8_t>& collection, std::uint32_t index) {
  CByteReader reader(collection);
  std::uint8_t tag[4];
  std::uint32_t version = 0, faces = 0, faceOffset = 0;
  if (!reader.ReadTag(tag) || std::memcmp(tag, "ttcf", 4) != 0 || !reader.ReadU32(version) || !reader.ReadU32(faces) ||
      index >= faces || !reader.Skip(4 * std::size_t{index}) || !reader.ReadU32(faceOffset) ||
      !reader.Seek(faceOffset)) {
    return {};
  }
  std::uint32_t sfnt = 0;
  std::uint16_t count = 0;
  if (!reader.ReadU32(sfnt) || !reader.ReadU16(count) || !reader.Skip(6)) return {};
  struct Entry {
    std::uint8_t tag[4];
    std::uint32_t checkSum, offset, length;
  };
  std::vector<Entry> entries(count);
  for (Entry& e : entries) {
    if (!reader.ReadTag(e.tag) || !reader.ReadU32(e.checkSum) || !reader.ReadU32(e.offset) ||
        !reader.ReadU32(e.length) || !reader.Contains(e.offset, e.length)) {
      return {};
    }
  }
  std::vector<std::uint8_t> font(12 + 16 * std::size_t{count}, 0);
  std::memcpy(font.data(), collection.data() + faceOffset, 12);
  for (std::size_t i = 0; i < count; ++i) {
    const Entry& e = entries[i];
    const std::size_t at = font.size();
    font.insert(font.end(), collection.begin() + e.offset, collection.begin() + e.offset + e.length);
    font.resize(AlignLength4(static_cast<std::uint32_t>(font.size())), 0);
    std::memcpy(font.data() + 12 + 16 * i, e.tag, 4);
    PutU32(font, 12 + 16 * i + 4, e.checkSum);
    PutU32(font, 12 + 16 * i + 8, static_cast<std::uint32_t>(at));
    PutU32(font, 12 + 16 * i + 12, e.length);
  }
  // The collection's adjustment was made for the collection; make the face's
  // own so that the face is a font with known good checksums.
  for (std::size_t i = 0; i < count; ++i) {
    if (std::memcmp(entries[i].tag, "head", 4) == 0 && entries[i].length >= 12) {
      const std::size_t head = LoadU32(font.data() + 12 + 16 * i + 8);
      PutU32(font, head + 8, 0);
      PutU32(font, head + 8, kCheckSumMagic - SumFontWords(font));
    }
  }
  return font;
}

}  // namespace test_support
