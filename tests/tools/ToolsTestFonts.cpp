// Font pairs for the tools' tests.
#include "tests/tools/ToolsTestFonts.h"

#include <cstring>
#include <random>

#include "font/BigEndian.h"
#include "font/FontWords.h"
#include "font/OpenTypeFont.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"

namespace tools_test {

Bytes MacNameTable(const std::string& family, const std::string& style, const std::string& fullName) {
  return test_support::NameTable(
      {"Copyright test fonts", family, style, fullName + ";1.000", fullName, "Version 1.000", "TestFont-" + style});
}

void FixCheckSums(Bytes& font) {
  const std::uint16_t count = LoadU16(font.data() + 4);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* entry = font.data() + 12 + 16 * i;
    if (std::memcmp(entry, "head", 4) != 0) continue;
    const std::uint32_t offset = LoadU32(entry + 8);
    const std::uint32_t length = LoadU32(entry + 12);
    StoreU32(font.data() + offset + 8, 0);
    StoreU32(entry + 4, CalcTableCheckSum(std::span(font).subspan(offset), length));
    Bytes padded = font;
    padded.resize(AlignLength4(static_cast<std::uint32_t>(padded.size())), 0);
    StoreU32(font.data() + offset + 8, kCheckSumMagic - SumFontWords(padded));
  }
}

Bytes RebuildFont(const Bytes& font, const std::map<std::string, Bytes>& replace, std::uint32_t revision,
                  const std::vector<std::size_t>& fileOrder) {
  COpenTypeFont loaded;
  if (loaded.ReadFontImage(font, "font.otf", nullptr, nullptr, 1, 0) != 0) return {};
  std::vector<test_support::CraftedTable> tables;
  for (const auto& table : loaded.tables) {
    test_support::CraftedTable crafted{table->tagText, Bytes(table->data, table->data + table->length)};
    if (auto found = replace.find(crafted.tag); found != replace.end()) crafted.data = found->second;
    if (crafted.tag == "head" && crafted.data.size() >= 12) {
      StoreU32(crafted.data.data() + 8, 0);
      if (revision != 0) StoreU32(crafted.data.data() + 4, revision);
    }
    tables.push_back(crafted);
  }
  Bytes rebuilt = test_support::BuildFont(tables, fileOrder);
  FixCheckSums(rebuilt);
  return rebuilt;
}

Bytes SmallFont(const std::string& fullName, std::uint32_t revision, const Bytes& cff, std::uint16_t numGlyphs) {
  Bytes maxp = {0x00, 0x00, 0x50, 0x00, 0, 0};
  StoreU16(maxp.data() + 4, numGlyphs);
  Bytes hhea(36, 0);
  StoreU32(hhea.data(), 0x00010000);
  StoreU16(hhea.data() + 34, numGlyphs);
  Bytes hmtx(4u * numGlyphs, 0);
  for (std::size_t g = 0; g < numGlyphs; ++g) StoreU16(hmtx.data() + 4 * g, static_cast<std::uint16_t>(500 + g % 7));
  Bytes post(32, 0);
  StoreU32(post.data(), 0x00030000);
  Bytes os2 = RandomBytes(96, 77);
  Bytes cmap = {0, 0, 0, 0};
  Bytes font = test_support::BuildFont({{"CFF ", cff},
                                        {"OS/2", os2},
                                        {"cmap", cmap},
                                        {"head", test_support::HeadTable(revision)},
                                        {"hhea", hhea},
                                        {"hmtx", hmtx},
                                        {"maxp", maxp},
                                        {"name", MacNameTable("Test Family", "Regular", fullName)},
                                        {"post", post}});
  FixCheckSums(font);
  return font;
}

Bytes NotoFace(std::uint32_t index, const std::string& fullName, std::uint32_t revision) {
  if (!test_support::HostFileExists(kSansCollection)) return {};
  const Bytes collection = test_support::ReadBytes(test_support::HostPath(kSansCollection));
  const Bytes face = test_support::ExtractCollectionFace(collection, index);
  if (face.empty()) return {};
  return RebuildFont(face, {{"name", MacNameTable("Noto Sans CJK", "Regular", fullName)}}, revision);
}

Bytes TableOf(const Bytes& font, const std::string& tag) {
  COpenTypeFont loaded;
  if (loaded.ReadFontImage(font, "font.otf", nullptr, nullptr, 1, 0) != 0) return {};
  const CTagObject* table = loaded.FindTagObject(tag.c_str());
  return table == nullptr ? Bytes{} : Bytes(table->data, table->data + table->length);
}

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

}  // namespace tools_test
