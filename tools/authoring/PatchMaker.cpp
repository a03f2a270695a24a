// The patch maker: refusals first, then the layout, one difference per table,
// the writer, and the updater's own build as the final check.
#include "tools/authoring/PatchMaker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <set>
#include <tuple>

#include "font/BigEndian.h"
#include "font/HeadTable.h"
#include "font/OpenTypeFont.h"
#include "platform/Files.h"
#include "tools/authoring/FamilyNames.h"
#include "tools/authoring/FontLayout.h"
#include "tools/authoring/InputFile.h"
#include "tools/authoring/OutputFile.h"
#include "tools/authoring/PatchWriter.h"
#include "tools/authoring/TableDiffer.h"
#include "tools/authoring/UpdaterApply.h"

namespace authoring {
namespace {

std::string Quoted(const std::string& tag) {
  std::string quoted(1, '\'');
  quoted += tag;
  quoted.push_back('\'');
  return quoted;
}

// The table's bytes after its length up to a multiple of 4 are all in the
// file and zero: only then does the updater's kept table sum like the table.
bool PaddingIsZero(const CTagObject& table) {
  if (table.paddedAvailable != table.paddedLength) return false;
  for (std::uint32_t i = table.length; i < table.paddedLength; ++i) {
    if (table.data[i] != 0) return false;
  }
  return true;
}

bool SameTable(const CTagObject& a, const CTagObject& b) {
  return a.length == b.length && (a.length == 0 || std::memcmp(a.data, b.data, a.length) == 0);
}

std::size_t FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return i;
  }
  return n;
}

// Every table of `revised` holds the revised font's bytes (head apart from its
// checkSumAdjustment, which the updater recomputes) and its checksums are right.
bool SameTablesWithRightChecksums(const std::vector<std::uint8_t>& revisedImage, const COpenTypeFont& newFont,
                                  std::string& problem) {
  COpenTypeFont revised;
  if (revised.ReadFontImage(revisedImage, "revised.otf", nullptr, nullptr, 1, 0) != 0) {
    problem = "the updater's result is not a loadable font";
    return false;
  }
  if (revised.tables.size() != newFont.tables.size()) {
    problem = "the updater's result has another number of tables";
    return false;
  }
  for (const auto& table : newFont.tables) {
    const CTagObject* got = revised.FindTagObject(table->tagText);
    if (got == nullptr || got->length != table->length) {
      problem = "table " + Quoted(table->tagText) + " is missing or has another length in the updater's result";
      return false;
    }
    std::vector<std::uint8_t> want(table->data, table->data + table->length);
    std::vector<std::uint8_t> have(got->data, got->data + got->length);
    if (std::strcmp(table->tagText, "head") == 0) {
      std::fill_n(want.begin() + 8, 4, 0);
      std::fill_n(have.begin() + 8, 4, 0);
    }
    if (want != have) {
      problem = "table " + Quoted(table->tagText) + " differs in the updater's result";
      return false;
    }
  }
  std::vector<std::string> problems;
  if (!ChecksumsAreRight(revised, problems)) {
    problem = "the updater's result has wrong checksums: " + problems.front();
    return false;
  }
  return true;
}

// The font name and revision the search reads, with the reason when it
// cannot read one.
bool ReadIdentity(const std::vector<std::uint8_t>& image, const COpenTypeFont& loaded, std::string& name,
                  std::uint32_t& revision, std::string& reason) {
  COpenTypeFont probe;
  if (probe.ReadFontIdentityImage(image, revision, name)) return true;
  bool hasName = false;
  bool hasRevision = false;
  std::string ignoredName;
  std::uint32_t ignoredRevision = 0;
  for (std::size_t i = 0; i < loaded.tables.size(); ++i) {
    hasName = hasName || loaded.ReadFontName(i, ignoredName);
    hasRevision = hasRevision || loaded.ReadFontRevision(i, ignoredRevision);
  }
  if (!hasName) {
    reason =
        "it has no name the font search can read: the search takes the fifth record of the name table as a "
        "single-byte string and, where that gives none, the Windows English full name (platform 3, encoding 1 "
        "or 10, language 0x409, name ID 4) or else PostScript name (ID 6) when it is 1 to 63 printable ASCII "
        "characters; this font has none of them";
  } else if (!hasRevision) {
    reason = "it has no head table from which the font search can read its revision";
  } else {
    reason = "the font search cannot identify it";
  }
  return false;
}

// head.fontRevision of a loaded font, 0 when it has no head table to read.
std::uint32_t HeadRevision(const COpenTypeFont& font) {
  std::uint32_t revision = 0;
  for (std::size_t i = 0; i < font.tables.size(); ++i) {
    if (font.ReadFontRevision(i, revision)) break;
  }
  return revision;
}

void StoreOffsetTable(const COpenTypeHeader& header, std::uint8_t (&out)[kOffsetTableSize]) {
  StoreU32(out, header.sfntVersion);
  StoreU16(out + 4, header.numTables);
  StoreU16(out + 6, header.searchRange);
  StoreU16(out + 8, header.entrySelector);
  StoreU16(out + 10, header.rangeShift);
}

struct FontNames {
  std::string family;
  std::string fullName;
};

FontNames NamesOf(const COpenTypeFont& font) {
  FontNames names;
  if (const CTagObject* table = font.FindTagObject("name"); table != nullptr) {
    FamilyName family;
    if (ReadFamilyName(table->Data(), family)) names.family = family.family;
    names.fullName = ReadFullName(table->Data());
  }
  return names;
}

// A font whose family or full name changes is, to the customer's software
// (menus, documents naming the font), another font.
void NoteNameChanges(const COpenTypeFont& oldFont, const COpenTypeFont& newFont, std::vector<std::string>& notes) {
  const FontNames before = NamesOf(oldFont);
  const FontNames after = NamesOf(newFont);
  for (const auto& [what, old, now] : {std::tuple{"family name", before.family, after.family},
                                       std::tuple{"full name", before.fullName, after.fullName}}) {
    if (old != now) {
      notes.push_back(std::string("the ") + what + " changes from \"" + old + "\" to \"" + now +
                      "\": the customer's software will see a new font");
    }
  }
}

}  // namespace

std::string RevisionText(std::uint32_t revision) {
  // 16.16 fixed point, shown as fonts show it: three decimals.
  const std::uint32_t thousandths =
      static_cast<std::uint32_t>((std::uint64_t{revision & 0xFFFF} * 1000 + 0x8000) >> 16);
  char text[32];
  std::snprintf(text, sizeof text, "%u.%03u", (revision >> 16) + thousandths / 1000, thousandths % 1000);
  return text;
}

std::string DescribeUnloadableFont(const std::vector<std::uint8_t>& image) {
  COpenTypeFont font;
  if (font.ReadFontImage(image, "font.otf", nullptr, nullptr, 1, 0) != 0) return font.refusal;
  return {};
}

bool MakePatch(const std::vector<std::uint8_t>& oldImage, const std::vector<std::uint8_t>& newImage, MakeResult& result,
               std::string& error, const MakeOptions& options) {
  result = MakeResult{};
  for (const auto& [image, which] : {std::pair{&oldImage, "the installed font"}, {&newImage, "the revised font"}}) {
    const std::string reason = DescribeUnloadableFont(*image);
    if (!reason.empty()) {
      error = std::string(which) + " cannot be patched: " + reason;
      return false;
    }
  }
  COpenTypeFont oldFont;
  COpenTypeFont newFont;
  if (oldFont.ReadFontImage(oldImage, "installed.otf", nullptr, nullptr, 1, 0) != 0 ||
      newFont.ReadFontImage(newImage, "revised.otf", nullptr, nullptr, 1, 0) != 0) {
    error = "the fonts cannot be loaded";
    return false;
  }

  for (const auto& [font, which] : {std::pair{&oldFont, "the installed font"}, {&newFont, "the revised font"}}) {
    if (font->tables.size() > 255) {
      error = std::string(which) + " has " + std::to_string(font->tables.size()) + " tables; a patch holds at most 255";
      return false;
    }
  }
  // The same tables on both sides, each once: the updater rebuilds exactly
  // the installed font's tables and finds each by its tag.
  std::set<std::string> oldTags;
  std::set<std::string> newTags;
  for (const auto& [font, tags, which] :
       {std::tuple{&oldFont, &oldTags, "the installed font"}, {&newFont, &newTags, "the revised font"}}) {
    for (const auto& table : font->tables) {
      if (!tags->insert(table->tagText).second) {
        error = std::string(which) + " has table " + Quoted(table->tagText) +
                " twice; the updater would find only the first";
        return false;
      }
    }
  }
  // A table only the installed font has is dropped (it has no record); one
  // only the revised font has is added, carried whole.
  std::set_difference(oldTags.begin(), oldTags.end(), newTags.begin(), newTags.end(),
                      std::back_inserter(result.droppedTables));
  std::set_difference(newTags.begin(), newTags.end(), oldTags.begin(), oldTags.end(),
                      std::back_inserter(result.addedTables));
  const bool sameTables = result.droppedTables.empty() && result.addedTables.empty();
  const CTagObject* newHead = newFont.FindTagObject("head");
  if (newHead == nullptr || newHead->length < kHeadTableSize) {
    error = "the revised font's head table is missing or shorter than 54 bytes";
    return false;
  }

  // What the search will read from the installed font, which the header
  // must carry exactly.
  std::string reason;
  if (!ReadIdentity(oldImage, oldFont, result.fontName, result.oldRevision, reason)) {
    error = "the installed font cannot be patched: " + reason;
    return false;
  }
  if (result.fontName.size() > kMaxFontNameLength) {
    error = "the installed font's name \"" + result.fontName + "\" is " + std::to_string(result.fontName.size()) +
            " bytes; a patch holds at most " + std::to_string(kMaxFontNameLength);
    return false;
  }
  std::string newName;
  if (ReadIdentity(newImage, newFont, newName, result.newRevision, reason)) {
    // The search would take the revised font for the installed one and patch
    // it a second time, turning it into garbage.
    if (newName == result.fontName && result.newRevision == result.oldRevision) {
      error = "the revised font keeps the installed font's name and revision (" + RevisionText(result.oldRevision) +
              "); the updater would find it again after the update and patch it twice. Raise head.fontRevision";
      return false;
    }
  } else {
    result.notes.push_back("the revised font has no name and revision the search can read (" + reason +
                           "); a later update could not find it");
    result.newRevision = HeadRevision(newFont);
  }
  if (result.newRevision <= result.oldRevision && !options.allowDowngrade) {
    error =
        "the revised font's revision " + RevisionText(result.newRevision) +
        (result.newRevision == result.oldRevision ? " is the installed font's " : " is below the installed font's ") +
        RevisionText(result.oldRevision) + "; raise head.fontRevision, or give --allow-downgrade";
    return false;
  }
  NoteNameChanges(oldFont, newFont, result.notes);

  FontLayout layout;
  if (!PlanLayout(newFont, layout, error)) return false;
  bool conventional = layout.departures.empty();
  for (const std::string& departure : layout.departures) {
    result.notes.push_back("the revised font is not laid out as a patch lays it out: " + departure);
  }
  if (!layout.departures.empty()) {
    result.notes.push_back("the patch lays the revised font's tables out in tag order, back to back");
  }
  std::vector<std::string> problems;
  if (!ChecksumsAreRight(newFont, problems)) {
    conventional = false;
    for (const std::string& problem : problems) {
      result.notes.push_back("in the revised font " + problem + "; the updater writes the right one");
    }
  }
  // The updater keeps the installed font's offset table when the tables are
  // the same, and computes it for the new count otherwise.
  std::uint8_t offsetTable[kOffsetTableSize];
  if (sameTables) {
    std::memcpy(offsetTable, oldImage.data(), kOffsetTableSize);
  } else {
    StoreOffsetTable(OffsetTableFor(oldFont.header.sfntVersion, newFont.tables.size()), offsetTable);
  }
  if (std::memcmp(offsetTable, newImage.data(), kOffsetTableSize) != 0) {
    conventional = false;
    result.notes.push_back(sameTables ? "the revised font's offset table (numTables, searchRange, ...) differs from "
                                        "the installed font's; the updater keeps the installed font's"
                                      : "the revised font's offset table (searchRange, entrySelector, rangeShift) is "
                                        "not the computed one; the updater writes the computed one");
  }

  // One record per table, in directory order of the revised font.
  std::vector<PatchTable> tables(layout.places.size());
  for (std::size_t i = 0; i < layout.places.size(); ++i) {
    const TablePlace& place = layout.places[i];
    const CTagObject& newTable = *place.table;
    const CTagObject* installed = oldFont.FindTagObject(newTable.tagText);
    // An added table is made from an empty one: carried whole.
    const CTagObject none;
    const CTagObject& oldTable = installed != nullptr ? *installed : none;
    PatchTable& table = tables[i];
    std::memcpy(table.tag, newTable.tag, 4);
    table.newIndex = place.newIndex;
    table.fileOrder = place.fileOrder;
    table.newLength = place.newLength;
    table.newOffset = place.newOffset;
    table.newBytes = newTable.Data();
    TableReport report;
    report.tag = newTable.tagText;
    report.oldLength = oldTable.length;
    report.newLength = newTable.length;
    if (installed != nullptr && SameTable(oldTable, newTable) && PaddingIsZero(oldTable)) {
      table.keep = true;
      report.form = TableForm::kKeep;
    } else {
      if (installed == nullptr || std::strcmp(newTable.tagText, "maxp") == 0) {
        table.difference = ReplaceWhole(newTable.length);
      } else {
        CTableDiffer differ;
        if (!differ.Index(oldTable.Data())) {
          error = "table " + Quoted(newTable.tagText) + " is too large to index";
          return false;
        }
        table.difference = differ.Diff(newTable.Data());
      }
      if (!IsCompleteCover(table.difference, oldTable.length, newTable.length)) {
        error = "internal error: the difference of table " + Quoted(newTable.tagText) + " does not cover it";
        return false;
      }
      report.form = installed == nullptr                   ? TableForm::kAdded
                    : table.difference.oldSegments.empty() ? TableForm::kReplaceWhole
                                                           : TableForm::kDifference;
      report.oldSegments = table.difference.oldSegments.size();
      report.newSegments = table.difference.newSegments.size();
      report.carriedBytes = table.difference.CarriedBytes();
      report.blockSize = table.difference.BlockSize();
    }
    result.tables.push_back(report);
  }

  PatchHeader header;
  header.fontName = result.fontName;
  header.oldRevision = result.oldRevision;
  header.newFileSize = layout.newFileSize;
  std::vector<std::uint8_t> patch;
  if (!WritePatch(header, tables, patch, error)) return false;

  // The proof: the updater's own build of the installed font with this patch.
  std::vector<std::uint8_t> revised;
  if (!ApplyWithUpdater(oldImage, patch, revised, error)) {
    error = "check failed: " + error;
    return false;
  }
  const std::vector<std::uint8_t> expected = AssembleExpected(layout, offsetTable);
  if (revised != expected) {
    error = "check failed: the updater's result differs from the planned font at byte " +
            std::to_string(FirstDifference(revised, expected));
    return false;
  }
  result.byteIdentical = revised == newImage;
  if (conventional && !result.byteIdentical) {
    error = "check failed: the updater's result differs from the revised font at byte " +
            std::to_string(FirstDifference(revised, newImage));
    return false;
  }
  if (!SameTablesWithRightChecksums(revised, newFont, reason)) {
    error = "check failed: " + reason;
    return false;
  }
  if (!result.byteIdentical) {
    result.notes.push_back("the customer's font will not be the revised font byte for byte: it differs from byte " +
                           std::to_string(FirstDifference(revised, newImage)) + " on (" +
                           std::to_string(revised.size()) + " bytes against " + std::to_string(newImage.size()) +
                           "), for the reasons above; every table is still the revised font's, with right checksums");
  }
  result.patch = std::move(patch);
  return true;
}

bool MakePatchFile(const std::string& oldPath, const std::string& newPath, const std::string& patchPath,
                   MakeResult& result, std::string& error, const MakeOptions& options) {
  std::vector<std::uint8_t> oldImage;
  std::vector<std::uint8_t> newImage;
  if (ReadInputFile(oldPath, oldImage, error) != InputRead::kRead ||
      ReadInputFile(newPath, newImage, error) != InputRead::kRead) {
    return false;
  }
  return MakePatch(oldImage, newImage, result, error, options) && WriteOutputFile(patchPath, result.patch, error);
}

}  // namespace authoring
