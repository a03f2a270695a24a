// Planning the layout of a revised font and assembling the image the updater
// makes from it.
#include "tools/authoring/FontLayout.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

#include "font/BigEndian.h"
#include "font/ByteWriter.h"
#include "font/FontWords.h"
#include "font/HeadTable.h"

namespace authoring {
namespace {

std::string TagName(const std::uint8_t (&tag)[4]) {
  std::string name(1, '\'');
  name.append(reinterpret_cast<const char*>(tag), 4);
  name.push_back('\'');
  return name;
}

}  // namespace

bool PlanLayout(const COpenTypeFont& font, FontLayout& layout, std::string& error) {
  layout = FontLayout{};
  const std::size_t count = font.tables.size();
  if (count > 255) {
    error = "a patch holds at most 255 tables, the font has " + std::to_string(count);
    return false;
  }
  std::vector<std::size_t> byTag(count);
  std::iota(byTag.begin(), byTag.end(), 0);
  std::stable_sort(byTag.begin(), byTag.end(), [&](std::size_t a, std::size_t b) {
    return std::memcmp(font.tables[a]->tag, font.tables[b]->tag, 4) < 0;
  });
  std::vector<std::size_t> byOffset(count);
  std::iota(byOffset.begin(), byOffset.end(), 0);
  std::stable_sort(byOffset.begin(), byOffset.end(),
                   [&](std::size_t a, std::size_t b) { return font.tables[a]->offset < font.tables[b]->offset; });

  layout.places.resize(count);
  std::vector<std::size_t> placeOf(count);  // directory index -> newIndex
  for (std::size_t slot = 0; slot < count; ++slot) {
    placeOf[byTag[slot]] = slot;
    layout.places[slot].table = font.tables[byTag[slot]].get();
    layout.places[slot].newIndex = static_cast<std::uint8_t>(slot);
    layout.places[slot].newLength = font.tables[byTag[slot]]->length;
  }
  std::uint64_t at = kOffsetTableSize + kDirectoryEntrySize * count;
  std::uint64_t end = at;
  for (std::size_t order = 0; order < count; ++order) {
    TablePlace& place = layout.places[placeOf[byOffset[order]]];
    place.fileOrder = static_cast<std::uint8_t>(order);
    place.newOffset = static_cast<std::uint32_t>(at);
    end = at + place.newLength;
    at = (end + 3) / 4 * 4;
    if (at > std::numeric_limits<std::uint32_t>::max()) {
      error = "the revised font would be 4 GiB or more";
      return false;
    }
  }
  layout.newFileSize = static_cast<std::uint32_t>((end + 3) / 4 * 4);

  // How the font as given departs from the plan.
  for (std::size_t i = 0; i < count; ++i) {
    if (byTag[i] != i) {
      layout.departures.push_back("its directory is not in tag order");
      break;
    }
  }
  const std::span<const std::uint8_t> image = font.Image();
  for (const TablePlace& place : layout.places) {
    const CTagObject& table = *place.table;
    if (table.offset != place.newOffset) {
      layout.departures.push_back("table " + TagName(table.tag) + " lies at " + std::to_string(table.offset) +
                                  ", back to back it belongs at " + std::to_string(place.newOffset));
      continue;
    }
    const std::size_t paddingEnd = std::min<std::size_t>(image.size(), std::size_t{table.offset} + table.paddedLength);
    for (std::size_t p = std::size_t{table.offset} + table.length; p < paddingEnd; ++p) {
      if (image[p] != 0) {
        layout.departures.push_back("the padding after table " + TagName(table.tag) + " is not zero");
        break;
      }
    }
  }
  if (image.size() != layout.newFileSize) {
    layout.departures.push_back("the file is " + std::to_string(image.size()) + " bytes, laid out it is " +
                                std::to_string(layout.newFileSize));
  }
  return true;
}

std::vector<std::uint8_t> AssembleExpected(const FontLayout& layout, const std::uint8_t (&offsetTable)[12]) {
  std::vector<std::uint8_t> image(layout.newFileSize, 0);
  if (image.size() < kOffsetTableSize + kDirectoryEntrySize * layout.places.size()) return {};
  CByteWriter out(image);
  bool written = out.Bytes(offsetTable, kOffsetTableSize);
  const TablePlace* head = nullptr;
  for (const TablePlace& place : layout.places) {
    const CTagObject& table = *place.table;
    written = written && out.Seek(kOffsetTableSize + kDirectoryEntrySize * place.newIndex) && out.Bytes(table.tag, 4) &&
              out.U32(CalcTableCheckSum(table.Data(), place.newLength)) && out.U32(place.newOffset) &&
              out.U32(place.newLength) && out.Seek(place.newOffset) && out.Bytes(table.data, place.newLength);
    if (head == nullptr && std::memcmp(table.tag, "head", 4) == 0) head = &place;
  }
  if (!written || head == nullptr || head->newLength < kHeadCheckSumAdjustmentOffset + 4) return {};
  std::uint8_t* headBytes = image.data() + head->newOffset;
  StoreU32(headBytes + kHeadCheckSumAdjustmentOffset, 0);
  // The table's checksum with zero padding, as it stands in the new file.
  StoreU32(image.data() + kOffsetTableSize + kDirectoryEntrySize * head->newIndex + 4,
           CalcTableCheckSum({headBytes, head->newLength}, head->newLength));
  StoreU32(headBytes + kHeadCheckSumAdjustmentOffset, kCheckSumMagic - SumFontWordsWithTail(image));
  return image;
}

bool ChecksumsAreRight(const COpenTypeFont& font, std::vector<std::string>& problems) {
  const std::size_t before = problems.size();
  const CTagObject* head = font.FindTagObject("head");
  for (const auto& table : font.tables) {
    std::uint32_t sum = CalcTableCheckSum(table->Data(), table->length);
    if (table.get() == head && table->length >= kHeadCheckSumAdjustmentOffset + 4) {
      std::vector<std::uint8_t> copy(table->data, table->data + table->length);
      StoreU32(copy.data() + kHeadCheckSumAdjustmentOffset, 0);
      sum = CalcTableCheckSum(copy, table->length);
    }
    if (sum != table->checkSum) {
      problems.push_back("the checksum of table " + TagName(table->tag) + " is wrong");
    }
  }
  if (head == nullptr || head->length < kHeadCheckSumAdjustmentOffset + 4) {
    problems.push_back("there is no head table to carry checkSumAdjustment");
  } else {
    std::vector<std::uint8_t> copy(font.Image().begin(), font.Image().end());
    StoreU32(copy.data() + head->offset + kHeadCheckSumAdjustmentOffset, 0);
    if (kCheckSumMagic - SumFontWordsWithTail(copy) != LoadU32(head->data + kHeadCheckSumAdjustmentOffset)) {
      problems.push_back("head.checkSumAdjustment is wrong");
    }
  }
  return problems.size() == before;
}

}  // namespace authoring
