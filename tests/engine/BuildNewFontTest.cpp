// Building the revised font: a patch made by hand for a real font, using
// every form, must give exactly the font built here independently; the
// progress reports, the stops, and every patch that does not fit the font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>

#include "engine/OpenTypeManager.h"
#include "font/FontWords.h"
#include "platform/Files.h"
#include "platform/ImageBuffer.h"
#include "platform/Resources.h"
#include "tests/patch/PatchBytes.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using test_patch::Diff;
using test_patch::Keep;
using test_patch::Record;

constexpr std::uint16_t kPatchNumber = 2001;

std::uint32_t Word(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
void SetWord(Bytes& bytes, std::size_t at, std::uint32_t value) { test_patch::Put32(bytes, at, value); }

// The OpenType checksum: the words of the table zero-padded to a multiple of 4.
std::uint32_t TableSum(Bytes table) {
  table.resize((table.size() + 3) / 4 * 4, 0);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < table.size(); i += 4) sum += Word(table.data() + i);
  return sum;
}

// The installed tables by tag, read straight from the directory.
std::map<std::string, Bytes> TablesOf(const Bytes& font) {
  std::map<std::string, Bytes> tables;
  const std::size_t count = (font[4] << 8) | font[5];
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = font.data() + 12 + 16 * i;
    const std::uint32_t offset = Word(entry + 8), length = Word(entry + 12);
    tables[std::string(reinterpret_cast<const char*>(entry), 4)] =
        Bytes(font.begin() + offset, font.begin() + offset + length);
  }
  return tables;
}

std::vector<std::string> DirectoryTags(const Bytes& font) {
  std::vector<std::string> tags;
  const std::size_t count = (font[4] << 8) | font[5];
  for (std::size_t i = 0; i < count; ++i)
    tags.emplace_back(reinterpret_cast<const char*>(font.data() + 12 + 16 * i), 4);
  return tags;
}

struct NewTable {
  std::string tag;
  Bytes bytes;
  std::uint32_t offset = 0;
};

// Lays the tables (in new directory order) out back to back in `fileOrder`
// (tags), each on a multiple of 4, after the directory; returns the end of
// the last one.
std::uint32_t LayOut(std::vector<NewTable>& bySlot, const std::vector<std::string>& fileOrder) {
  std::uint32_t at = static_cast<std::uint32_t>(12 + 16 * bySlot.size());
  for (const std::string& tag : fileOrder) {
    auto it = std::find_if(bySlot.begin(), bySlot.end(), [&](const NewTable& t) { return t.tag == tag; });
    at = (at + 3) / 4 * 4;
    it->offset = at;
    at += static_cast<std::uint32_t>(it->bytes.size());
  }
  return at;
}

// The revised font as it must come out: the installed offset table, the new
// directory in slot order, the tables at their offsets with zeros between,
// then head's checksum and the checksum adjustment.
Bytes ExpectedFont(const Bytes& installed, const std::vector<NewTable>& bySlot, std::uint32_t size) {
  Bytes font(size, 0);
  std::copy(installed.begin(), installed.begin() + 12, font.begin());
  std::size_t headEntry = 0;
  for (std::size_t slot = 0; slot < bySlot.size(); ++slot) {
    const NewTable& t = bySlot[slot];
    const std::size_t entry = 12 + 16 * slot;
    std::memcpy(font.data() + entry, t.tag.data(), 4);
    Bytes forSum = t.bytes;
    if (t.tag == "head") {
      SetWord(forSum, 8, 0);
      headEntry = entry;
    }
    SetWord(font, entry + 4, TableSum(forSum));
    SetWord(font, entry + 8, t.offset);
    SetWord(font, entry + 12, static_cast<std::uint32_t>(t.bytes.size()));
    std::copy(t.bytes.begin(), t.bytes.end(), font.begin() + t.offset);
  }
  const std::uint32_t headOffset = Word(font.data() + headEntry + 8);
  SetWord(font, headOffset + 8, 0);
  Bytes whole = font;
  const std::uint32_t adjustment = 0xB1B0AFBA - TableSum(whole);
  SetWord(font, headOffset + 8, adjustment);
  return font;
}

std::uint32_t WholeWords(const Bytes& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) sum += Word(bytes.data() + i);
  return sum;
}

struct Report {
  int overall;
  int step;
  std::string line1;
  std::string line2;
};

// The progress window of the tests: it records every report and asks for a
// stop at one step.
struct Window {
  std::vector<Report> reports;
  int stopAt = 0;
};

int Progress(int overall, int step, const char* line1, const char* line2, void* window) {
  auto* w = static_cast<Window*>(window);
  w->reports.push_back({overall, step, line1, line2});
  return step == w->stopAt ? 1 : 0;
}

// Installs a patch as "FONT_PA" 2001 for the life of the object.
class InstalledPatch {
 public:
  explicit InstalledPatch(const Bytes& patch) {
    m_resources.Add("FONT_PA", kPatchNumber, patch);
    platform::SetResourceSource(&m_resources);
  }
  ~InstalledPatch() { platform::SetResourceSource(nullptr); }

 private:
  platform::MemoryResources m_resources;
};

bool FolderIsEmpty(const test_support::ScratchFolder& folder) {
  return std::filesystem::is_empty(std::filesystem::path(folder.Path()));
}

// ---------------------------------------------------------------------------
// A real font: a face of Noto Sans CJK, revised by a patch that uses every form.

class RealFontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string collection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
    if (!test_support::HostFileExists(collection)) return;
    s_font =
        new Bytes(test_support::ExtractCollectionFace(test_support::ReadBytes(test_support::HostPath(collection)), 0));
  }
  static void TearDownTestSuite() {
    delete s_font;
    s_font = nullptr;
  }
  void SetUp() override {
    if (s_font == nullptr || s_font->empty()) GTEST_SKIP() << "Noto Sans CJK is not installed";
  }

  // The new tables in the new directory order (the installed directory
  // reversed) and the patch records that make them, stored in another order.
  void MakeRevision(const std::vector<std::string>& fileOrder, bool oddEnd) {
    const Bytes& font = *s_font;
    const std::map<std::string, Bytes> old = TablesOf(font);
    std::vector<std::string> slots = DirectoryTags(font);
    ASSERT_EQ(slots.size(), 16u);
    std::reverse(slots.begin(), slots.end());

    m_bySlot.clear();
    for (const std::string& tag : slots) m_bySlot.push_back({tag, old.at(tag)});
    auto table = [&](const std::string& tag) -> Bytes& {
      return std::find_if(m_bySlot.begin(), m_bySlot.end(), [&](const NewTable& t) { return t.tag == tag; })->bytes;
    };
    // head: a new revision and a stale adjustment carried in; the rest kept
    // in place by two old ranges stored in reverse order.
    Bytes& head = table("head");
    SetWord(head, 4, 0x00020000);
    SetWord(head, 8, 0xDEADBEEF);
    // hhea: its two halves swapped.
    Bytes& hhea = table("hhea");
    std::rotate(hhea.begin(), hhea.begin() + 18, hhea.end());
    // OS/2: kept whole by one old range, usWeightClass carried over it.
    Bytes& os2 = table("OS/2");
    os2[4] = 0x01;
    os2[5] = 0x90;
    // name: seven carried bytes inserted at 1000 (the rest moved by 7), then
    // its first ten bytes copied over 500..509 and three carried bytes over
    // 505..507: an odd length.
    const Bytes& oldName = old.at("name");
    Bytes& name = table("name");
    const Bytes inserted = {'V', 'e', 'l', 'd', 'm', 'k', '!'};
    name.insert(name.begin() + 1000, inserted.begin(), inserted.end());
    std::copy(oldName.begin(), oldName.begin() + 10, name.begin() + 500);
    const Bytes carried = {0xA5, 0xA6, 0xA7};
    std::copy(carried.begin(), carried.end(), name.begin() + 505);
    // maxp replaced whole; post replaced whole by 33 bytes.
    table("maxp") = {0x00, 0x00, 0x50, 0x00, 0xFF, 0xFE};
    Bytes& post = table("post");
    post.push_back(0x7A);

    const std::uint32_t end = LayOut(m_bySlot, fileOrder);
    m_size = oddEnd ? end : (end + 3) / 4 * 4;

    std::map<std::string, Record> records;
    for (std::size_t slot = 0; slot < m_bySlot.size(); ++slot) {
      const NewTable& t = m_bySlot[slot];
      const auto order =
          static_cast<std::uint8_t>(std::find(fileOrder.begin(), fileOrder.end(), t.tag) - fileOrder.begin());
      const auto index = static_cast<std::uint8_t>(slot);
      const auto length = static_cast<std::uint32_t>(t.bytes.size());
      // Kept tables carry a newLength that nothing uses.
      records[t.tag] = Keep(t.tag, index, order, 0x12345, t.offset);
      if (t.tag == "head") {
        records[t.tag] = Diff(t.tag, index, order, length, t.offset, {{0, 4, 0}, {30, 24, 30}, {12, 18, 12}},
                              {{4, {0x00, 0x02, 0x00, 0x00, 0xDE, 0xAD, 0xBE, 0xEF}}});
      } else if (t.tag == "hhea") {
        records[t.tag] = Diff(t.tag, index, order, length, t.offset, {{18, 18, 0}, {0, 18, 18}});
      } else if (t.tag == "OS/2") {
        records[t.tag] = Diff(t.tag, index, order, length, t.offset, {{0, 96, 0}}, {{4, {0x01, 0x90}}});
      } else if (t.tag == "name") {
        const auto oldLength = static_cast<std::uint32_t>(oldName.size());
        records[t.tag] =
            Diff(t.tag, index, order, length, t.offset, {{1000, oldLength - 1000, 1007}, {0, 1000, 0}, {0, 10, 500}},
                 {{1000, inserted}, {505, carried}});
      } else if (t.tag == "maxp" || t.tag == "post") {
        records[t.tag] = Diff(t.tag, index, order, length, t.offset, {}, {{0, t.bytes}});
      }
    }
    // Stored in tag order, which is neither the new nor the old directory order.
    std::vector<Record> stored;
    for (const auto& [tag, record] : records) stored.push_back(record);
    m_patch = test_patch::Build("NotoSansCJKjp-Regular", 0x00020004, m_size, stored);
  }

  static Bytes* s_font;
  std::vector<NewTable> m_bySlot;
  std::uint32_t m_size = 0;
  Bytes m_patch;
  test_support::ScratchFolder m_folder;
};
Bytes* RealFontTest::s_font = nullptr;

TEST_F(RealFontTest, EveryFormGivesExactlyTheExpectedFont) {
  MakeRevision({"head", "hhea", "maxp", "post", "OS/2", "name", "vhea", "BASE", "GDEF", "VORG", "GPOS", "GSUB", "cmap",
                "hmtx", "vmtx", "CFF "},
               false);
  ASSERT_EQ(m_size % 4, 0u);
  const Bytes expected = ExpectedFont(*s_font, m_bySlot, m_size);

  InstalledPatch installed(m_patch);
  COpenTypeManager manager;
  const std::string fontPath = m_folder.File("NotoSansCJKjp-Regular.otf");
  Window window;
  ASSERT_EQ(manager.ReadFontImage(*s_font, fontPath, Progress, &window, 1, 0), 0);
  const std::string temp = m_folder.File("17020000001");
  ASSERT_EQ(manager.BuildNewFont(fontPath, kPatchNumber, temp, Progress, &window, 1, 0), 0);

  const Bytes written = test_support::ReadBytes(temp);
  // The image stays for the update, which puts it in place and compares
  // what it reads back with it.
  EXPECT_TRUE(std::ranges::equal(manager.newImage, written));
  ASSERT_EQ(written.size(), m_size);
  EXPECT_TRUE(written == expected) << "the revised font differs from the one built by hand";
  EXPECT_TRUE(std::equal(written.begin(), written.begin() + 12, s_font->begin()));
  EXPECT_EQ(WholeWords(written), 0xB1B0AFBAu);
  EXPECT_EQ(manager.expectedFileSum, 0xB1B0AFBAu);
  // Every directory checksum is the table's own; head's is taken with a zero
  // adjustment.
  for (std::size_t slot = 0; slot < 16; ++slot) {
    const std::uint8_t* entry = written.data() + 12 + 16 * slot;
    Bytes table(written.begin() + Word(entry + 8), written.begin() + Word(entry + 8) + Word(entry + 12));
    if (std::memcmp(entry, "head", 4) == 0) SetWord(table, 8, 0);
    EXPECT_EQ(Word(entry + 4), TableSum(table)) << std::string(reinterpret_cast<const char*>(entry), 4);
  }
  // The result is a font the reader takes again.
  COpenTypeManager again;
  EXPECT_EQ(again.ReadFontImage(written, fontPath, nullptr, nullptr, 1, 0), 0);
  EXPECT_EQ(again.FindTagObject("name")->length, 2153u);
}

TEST_F(RealFontTest, AnOddSizeGivesExactlyThatManyBytes) {
  MakeRevision({"head", "hhea", "maxp", "OS/2", "name", "vhea", "BASE", "GDEF", "VORG", "GPOS", "GSUB", "cmap", "hmtx",
                "vmtx", "CFF ", "post"},
               true);
  ASSERT_EQ(m_size % 4, 1u);
  const Bytes expected = ExpectedFont(*s_font, m_bySlot, m_size);

  InstalledPatch installed(m_patch);
  COpenTypeManager manager;
  const std::string fontPath = m_folder.File("NotoSansCJKjp-Regular.otf");
  ASSERT_EQ(manager.ReadFontImage(*s_font, fontPath, nullptr, nullptr, 1, 0), 0);
  const std::string temp = m_folder.File("17020000002");
  Window window;
  ASSERT_EQ(manager.BuildNewFont(fontPath, kPatchNumber, temp, Progress, &window, 1, 0), 0);
  const Bytes written = test_support::ReadBytes(temp);
  ASSERT_EQ(written.size(), m_size);
  EXPECT_TRUE(written == expected);
  // The last byte is not a whole word: the sum of the file leaves it out.
  EXPECT_EQ(manager.expectedFileSum, WholeWords(written));
}

// ---------------------------------------------------------------------------
// A small crafted font for the reports, the stops and the refusals.

class CraftedFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_hhea = Bytes(36);
    for (std::size_t i = 0; i < m_hhea.size(); ++i) m_hhea[i] = static_cast<std::uint8_t>(0x30 + i);
    m_font = test_support::BuildFont({{"head", test_support::HeadTable(0x00010000)},
                                      {"hhea", m_hhea},
                                      {"maxp", {0, 0, 0x50, 0, 0, 7}},
                                      {"name", test_support::NameTable({"a", "b", "c", "d", "Veld-W3"})}});
    m_old = TablesOf(m_font);
    // New directory: hhea, name, head, maxp. File order: name, maxp, head, hhea.
    m_bySlot = {
        {"hhea", m_old["hhea"]}, {"name", m_old["name"]}, {"head", m_old["head"]}, {"maxp", {0, 0, 0x50, 0, 1, 2}}};
    SetWord(m_bySlot[2].bytes, 4, 0x00018000);
    m_size = (LayOut(m_bySlot, {"name", "maxp", "head", "hhea"}) + 3) / 4 * 4;
    m_records = {
        Diff("maxp", 3, 1, 6, m_bySlot[3].offset, {}, {{0, {0, 0, 0x50, 0, 1, 2}}}),
        Keep("name", 1, 0, 0, m_bySlot[1].offset),
        Diff("head", 2, 2, 54, m_bySlot[2].offset, {{0, 4, 0}, {8, 46, 8}}, {{4, {0x00, 0x01, 0x80, 0x00}}}),
        Keep("hhea", 0, 3, 36, m_bySlot[0].offset),
    };
    m_path = m_folder.File("Veld-W3.otf");
    m_temp = m_folder.File("17020000003");
    ASSERT_EQ(m_manager.ReadFontImage(m_font, m_path, nullptr, nullptr, 1, 0), 0);
  }

  Bytes Patch() const { return test_patch::Build("Veld-W3", 0x00010000, m_size, m_records); }
  Bytes Expected() const { return ExpectedFont(m_font, m_bySlot, m_size); }

  int Build(const Bytes& patch, Window* window = nullptr, int fontCount = 1, int fontIndex = 0) {
    InstalledPatch installed(patch);
    const int result =
        m_manager.BuildNewFont(m_path, kPatchNumber, m_temp, window ? Progress : nullptr, window, fontCount, fontIndex);
    // A built font's image stays until the font is released; nothing else does.
    EXPECT_EQ(m_manager.newImage.empty(), result != 0);
    return result;
  }

  Bytes m_hhea, m_font;
  std::map<std::string, Bytes> m_old;
  std::vector<NewTable> m_bySlot;
  std::uint32_t m_size = 0;
  std::vector<Record> m_records;
  test_support::ScratchFolder m_folder;
  std::string m_path, m_temp;
  COpenTypeManager m_manager;
};

TEST_F(CraftedFontTest, ReportsEachStepWithItsTexts) {
  Window window;
  ASSERT_EQ(Build(Patch(), &window, 3, 1), 0);
  EXPECT_TRUE(test_support::ReadBytes(m_temp) == Expected());
  const std::string line1 = m_path + "の改訂をしています。";
  ASSERT_EQ(window.reports.size(), 4u);
  const Report expected[] = {
      {46, 40, line1, "Veld-W3のファイルをオープンしています。"},
      {51, 55, line1, "Veld-W3のファイルを読み込んでいます。"},
      {58, 75, line1, "Veld-W3のファイルにチェックサムを再計算しています。"},
      {63, 90, line1, "Veld-W3のファイルを作成しています。"},
  };
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(window.reports[i].overall, expected[i].overall) << i;
    EXPECT_EQ(window.reports[i].step, expected[i].step) << i;
    EXPECT_EQ(window.reports[i].line1, expected[i].line1) << i;
    EXPECT_EQ(window.reports[i].line2, expected[i].line2) << i;
  }
}

TEST_F(CraftedFontTest, WithoutAWindowNothingIsReported) {
  ASSERT_EQ(Build(Patch()), 0);
  EXPECT_TRUE(test_support::ReadBytes(m_temp) == Expected());
  EXPECT_EQ(m_manager.expectedFileSum, 0xB1B0AFBAu);
}

TEST_F(CraftedFontTest, AStopBeforeStep90WritesNothing) {
  for (int step : {40, 55, 75}) {
    Window window;
    window.stopAt = step;
    COpenTypeManager manager;
    ASSERT_EQ(manager.ReadFontImage(m_font, m_path, nullptr, nullptr, 1, 0), 0);
    InstalledPatch installed(Patch());
    EXPECT_EQ(manager.BuildNewFont(m_path, kPatchNumber, m_temp, Progress, &window, 1, 0), 6) << step;
    EXPECT_EQ(window.reports.back().step, step);
    EXPECT_TRUE(manager.newImage.empty());
    EXPECT_EQ(manager.expectedFileSum, 0u);
    EXPECT_TRUE(FolderIsEmpty(m_folder)) << step;
  }
}

TEST_F(CraftedFontTest, AStopAtStep90StillWritesTheFile) {
  Window window;
  window.stopAt = 90;
  EXPECT_EQ(Build(Patch(), &window), 6);
  EXPECT_TRUE(test_support::ReadBytes(m_temp) == Expected());
  EXPECT_EQ(m_manager.expectedFileSum, 0xB1B0AFBAu);
}

TEST_F(CraftedFontTest, APatchThatDoesNotFitTheFontIsRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* what;
    std::function<void(std::vector<Record>&, std::uint32_t&)> change;
    int code = 1;  // 7: refused as the patch is read, whatever the font
  };
  const std::uint32_t directoryEnd = 12 + 16 * 4;
  const std::vector<Case> cases = {
      {"one record fewer than the font's tables", [](auto& r, auto&) { r.pop_back(); }},
      {"one record more", [](auto& r, auto&) { r.push_back(Keep("hhea", 4, 4, 36, 200)); }},
      {"a slot outside the new directory", [](auto& r, auto&) { r[0].newIndex = 4; }},
      {"two records in one slot", [](auto& r, auto&) { r[0].newIndex = 1; }},
      {"a table the font lacks", [](auto& r, auto&) { r[3].tag = "GSUB"; }},
      {"one table named twice", [](auto& r, auto&) { r[3].tag = "name"; }},
      {"a table past the end", [](auto& r, auto& size) { r[0].newOffset = size - 4; }},
      {"a kept table past the end", [](auto& r, auto& size) { r[3].newOffset = size - 32; }},
      {"a table that wraps", [](auto& r, auto&) { r[0].newOffset = 0xFFFFFFFE; }},
      {"a table in the directory", [=](auto& r, auto&) { r[0].newOffset = directoryEnd - 4; }},
      {"a size smaller than the directory",
       [=](auto& r, auto& size) {
         size = directoryEnd - 1;
         for (Record& record : r) record.newOffset = 0;
       }},
      {"overlapping tables", [](auto& r, auto&) { r[0].newOffset = r[2].newOffset + 50; }},
      {"a segment past the installed table", [](auto& r, auto&) { r[2].olds[1].srcOffset = 11; }},
      {"a segment past the new table", [](auto& r, auto&) { r[0].news[0].dstOffset = 3; }},
      {"a size no font can have", [](auto&, auto& size) { size = 0x80000000u; }, 7},
      {"a size larger than any font", [](auto&, auto& size) { size = (256u << 20) + 1; }, 7},
      {"a table longer than its segments give", [](auto& r, auto&) { r[2].olds.pop_back(); }, 7},
      {"200 MB copied from a 36-byte table",
       [](auto& r, auto& size) {
         r[3] = Diff("hhea", 0, 3, 200u << 20, r[3].newOffset, {{0, 200u << 20, 0}});
         size = r[3].newOffset + (200u << 20);
       }},
      {"a size past the last table's padding", [](auto&, auto& size) { size = (size + 3) / 4 * 4 + 4; }},
      {"a gap of zeros larger than the installed font",
       [this](auto& r, auto& size) {
         const auto gap = static_cast<std::uint32_t>((m_font.size() + 8) / 4 * 4);
         r[3].newOffset += gap;
         size += gap;
       }},
  };
  for (const Case& c : cases) {
    std::vector<Record> records = m_records;
    std::uint32_t size = m_size;
    c.change(records, size);
    COpenTypeManager manager;
    ASSERT_EQ(manager.ReadFontImage(m_font, m_path, nullptr, nullptr, 1, 0), 0);
    InstalledPatch installed(test_patch::Build("Veld-W3", 0x00010000, size, records));
    Window window;
    EXPECT_EQ(manager.BuildNewFont(m_path, kPatchNumber, m_temp, Progress, &window, 1, 0), c.code) << c.what;
    EXPECT_TRUE(manager.newImage.empty()) << c.what;
    EXPECT_EQ(manager.expectedFileSum, 0u) << c.what;
    EXPECT_TRUE(FolderIsEmpty(m_folder)) << c.what;
    // 40 and 55, nothing after; a patch refused as it is read, 40 alone.
    EXPECT_EQ(window.reports.size(), c.code == 1 ? 2u : 1u) << c.what;
  }
  // The unchanged patch is built, and one with a gap a released font may
  // have (a table taken out, its place left).
  EXPECT_EQ(Build(Patch()), 0);
  std::filesystem::remove(m_temp);
  std::vector<Record> gapped = m_records;
  gapped[3].newOffset += 4;
  EXPECT_EQ(Build(test_patch::Build("Veld-W3", 0x00010000, m_size + 4, gapped)), 0);
}

TEST_F(CraftedFontTest, ARevisionDropsATableAndAddsOneCarriedWhole) {
  // hhea (the last table in the file) dropped: three tables in new slots,
  // the offset table computed for three.
  const std::uint32_t dropSize = m_bySlot[0].offset;
  std::vector<Record> dropped = {m_records[0], m_records[1], m_records[2]};
  dropped[0].newIndex = 2;  // maxp
  dropped[1].newIndex = 0;  // name
  dropped[2].newIndex = 1;  // head
  ASSERT_EQ(Build(test_patch::Build("Veld-W3", 0x00010000, dropSize, dropped)), 0);
  COpenTypeFont revised;
  ASSERT_EQ(revised.ReadFontImage(test_support::ReadBytes(m_temp), m_path, nullptr, nullptr, 1, 0), 0);
  EXPECT_EQ(revised.fileLength, static_cast<std::int32_t>(dropSize));
  EXPECT_EQ(revised.tables.size(), 3u);
  EXPECT_EQ(revised.FindTagObject("hhea"), nullptr);
  EXPECT_EQ(std::string(revised.tables[0]->tagText), "name");
  EXPECT_EQ(revised.header.numTables, 3);
  EXPECT_EQ(revised.header.searchRange, 32);
  EXPECT_EQ(revised.header.entrySelector, 1);
  EXPECT_EQ(revised.header.rangeShift, 16);
  std::filesystem::remove(m_temp);  // the build writes a new file

  // hhea's place taken by an added 'STAT', carried whole.
  const Bytes stat = {0, 1, 0, 2, 0, 8, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0x53, 0x54, 0x41, 0x54};
  std::vector<Record> added = m_records;
  added[3] = Diff("STAT", 0, 3, static_cast<std::uint32_t>(stat.size()), m_bySlot[0].offset, {}, {{0, stat}});
  const std::uint32_t addSize = m_bySlot[0].offset + static_cast<std::uint32_t>(stat.size());
  ASSERT_EQ(Build(test_patch::Build("Veld-W3", 0x00010000, addSize, added)), 0);
  ASSERT_EQ(revised.ReadFontImage(test_support::ReadBytes(m_temp), m_path, nullptr, nullptr, 1, 0), 0);
  const CTagObject* table = revised.FindTagObject("STAT");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(Bytes(table->data, table->data + table->length), stat);
  EXPECT_EQ(table->checkSum, CalcTableCheckSum(stat, static_cast<std::uint32_t>(stat.size())));
  EXPECT_EQ(revised.tables[0].get(), table);
  EXPECT_EQ(revised.FindTagObject("hhea"), nullptr);

  // An added table has no installed table to keep or copy from.
  added[3].olds = {{0, 4, 0}};
  EXPECT_EQ(Build(test_patch::Build("Veld-W3", 0x00010000, addSize, added)), 1);
  added[3] = Keep("STAT", 0, 3, static_cast<std::uint32_t>(stat.size()), m_bySlot[0].offset);
  EXPECT_EQ(Build(test_patch::Build("Veld-W3", 0x00010000, addSize, added)), 1);
}

TEST_F(CraftedFontTest, TablesMayTouchButNotShareAByte) {
  // maxp (6 bytes) right after name's last byte, on an odd offset: legal.
  const std::uint32_t nameEnd = m_bySlot[1].offset + static_cast<std::uint32_t>(m_bySlot[1].bytes.size());
  ASSERT_NE(nameEnd % 4, 0u);
  m_records[0].newOffset = nameEnd;
  m_bySlot[3].offset = nameEnd;
  ASSERT_EQ(Build(Patch()), 0);
  EXPECT_TRUE(test_support::ReadBytes(m_temp) == Expected());
  platform::RemoveFile(m_temp);
  // head right after maxp, whose patch bytes run on into its padding: what
  // lies in the padding is never written over the next table.
  m_records[0].news[0].bytes = {0, 0, 0x50, 0, 1, 2, 0xEE, 0xEE};
  m_records[2].newOffset = nameEnd + 6;
  m_bySlot[2].offset = nameEnd + 6;
  ASSERT_EQ(Build(Patch()), 0);
  EXPECT_TRUE(test_support::ReadBytes(m_temp) == Expected());
  platform::RemoveFile(m_temp);
  // One byte earlier they overlap.
  m_records[0].newOffset = nameEnd - 1;
  EXPECT_EQ(Build(Patch()), 1);
  EXPECT_TRUE(FolderIsEmpty(m_folder));
}

TEST_F(CraftedFontTest, OtherFailuresHaveTheirOwnCodes) {
  // No patch under that number, or one that does not load: 7.
  {
    COpenTypeManager manager;
    ASSERT_EQ(manager.ReadFontImage(m_font, m_path, nullptr, nullptr, 1, 0), 0);
    InstalledPatch installed(Patch());
    EXPECT_EQ(manager.BuildNewFont(m_path, kPatchNumber + 1, m_temp, nullptr, nullptr, 1, 0), 7);
  }
  Bytes truncated = Patch();
  truncated.resize(85 + 18 * 4 + 10);
  EXPECT_EQ(Build(truncated), 7);
  EXPECT_TRUE(FolderIsEmpty(m_folder));

  // A temporary file that already stands there is neither used nor touched: 11.
  const Bytes other = {'k', 'e', 'e', 'p'};
  test_support::WriteBytes(m_temp, other);
  EXPECT_EQ(Build(Patch()), 11);
  EXPECT_EQ(test_support::ReadBytes(m_temp), other);
  platform::RemoveFile(m_temp);
  // A folder that does not exist: 11.
  m_temp = m_folder.File("missing") + platform::kPathSeparator + "17020000004";
  EXPECT_EQ(Build(Patch()), 11);
  EXPECT_TRUE(FolderIsEmpty(m_folder));
  EXPECT_EQ(m_manager.expectedFileSum, 0u);
}

TEST_F(CraftedFontTest, AFontWithoutHeadGivesNine) {
  const Bytes font = test_support::BuildFont({{"hhea", m_hhea}, {"maxp", {0, 0, 0x50, 0, 0, 7}}});
  COpenTypeManager manager;
  ASSERT_EQ(manager.ReadFontImage(font, m_path, nullptr, nullptr, 1, 0), 0);
  InstalledPatch installed(
      test_patch::Build("Veld-W3", 1, 12 + 32 + 36 + 8, {Keep("hhea", 1, 0, 36, 44), Keep("maxp", 0, 1, 6, 80)}));
  Window window;
  EXPECT_EQ(manager.BuildNewFont(m_path, kPatchNumber, m_temp, Progress, &window, 1, 0), 9);
  EXPECT_TRUE(FolderIsEmpty(m_folder));
  EXPECT_EQ(window.reports.back().step, 75);
}

TEST_F(CraftedFontTest, NothingIsBuiltForAFontThatWasNotLoaded) {
  COpenTypeManager manager;
  InstalledPatch installed(Patch());
  EXPECT_EQ(manager.BuildNewFont(m_path, kPatchNumber, m_temp, nullptr, nullptr, 1, 0), 1);
  EXPECT_TRUE(FolderIsEmpty(m_folder));
}

// ---------------------------------------------------------------------------
// The demo's fonts revised one after another in one process, as a run revises
// them: each image lands in a block that held other bytes.

TEST(ReusedImageTest, ARevisionBuiltOverOtherBytesIsExactlyTheRevisedFont) {
  // The two blocks a run keeps, filled with bytes that no byte the build
  // leaves unwritten (padding, the tail) may keep.
  platform::ReleaseKeptBlocks();
  std::uintptr_t kept[2];
  {
    platform::ImageBuffer first, second;
    ASSERT_TRUE(first.Allocate(std::size_t{1} << 20) && second.Allocate(std::size_t{1} << 20));
    std::memset(first.data(), 0xA5, first.size());
    std::memset(second.data(), 0x5A, second.size());
    kept[0] = reinterpret_cast<std::uintptr_t>(first.data());
    kept[1] = reinterpret_cast<std::uintptr_t>(second.data());
  }
  const std::string demo = test_support::SourcePath("resources/demo/");
  const char* kFonts[] = {"TesselDemoSansJP-Regular", "TesselDemoSansJP-Bold", "TesselDemoSerifJP-Regular",
                          "TesselDemoSerifJP-Bold"};
  test_support::ScratchFolder folder;
  // Twice round, the second time backwards: every font after the first is
  // read and built in the blocks the font before it left.
  for (int k = 0; k < 8; ++k) {
    const int i = k < 4 ? k : 7 - k;
    const std::string name = kFonts[i];
    COpenTypeManager manager;
    ASSERT_EQ(manager.ReadFontFile(demo + "installed/" + name + ".otf.installed", nullptr, nullptr, 1, 0), 0) << name;
    const auto image = reinterpret_cast<std::uintptr_t>(manager.fileImage.data());
    if (k == 0) {
      EXPECT_TRUE(image == kept[0] || image == kept[1]) << "the font is read into a kept block";
    }
    const Bytes patch = test_support::ReadBytes(demo + "patches/" + std::to_string(2001 + i) + ".pa");
    const std::string temp = folder.File(name + ".otf");
    ASSERT_EQ(manager.BuildNewFontFromBytes(name + ".otf", patch, temp, nullptr, nullptr, 1, 0), 0) << name;
    EXPECT_TRUE(test_support::ReadBytes(temp) == test_support::ReadBytes(demo + "revised/" + name + ".otf")) << name;
    EXPECT_EQ(manager.VerifyFontFile(temp, manager.expectedFileSum), 0) << name;
    platform::RemoveFile(temp);
  }
  platform::ReleaseKeptBlocks();
}

}  // namespace
