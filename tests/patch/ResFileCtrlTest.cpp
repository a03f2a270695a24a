// The update list: entries read from the program's INI text (Shift-JIS,
// CRLF) through its copy in the temporary folder, where the list stops, and
// the start dialog's font lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "patch/ResFileCtrl.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "tests/support/TestFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Shift-JIS texts as the maker's list holds them.
const std::string kTitle =
    "\x83\x94\x83\x46\x83\x8b\x83\x68\x83\x7d\x81\x5b\x83\x4e\x83\x74\x83\x48\x83\x93\x83\x67\x90\xbb\x95\x69\x82\xf0"
    "\x82\xb2\x97\x98\x97\x70\x82\xcc\x82\xa8\x8b\x71\x97\x6c\x82\xcd\x81\x41\x89\xba\x8b\x4c\x33\x38\x31\x83\x74\x83"
    "\x48\x83\x93\x83\x67\x82\xaa\x89\xfc\x92\xf9\x91\xce\x8f\xdb\x82\xc5\x82\xb7\x81\x42";
const std::string kMinchoLine =
    "\x81\x45\x83\x94\x83\x46\x83\x8b\x83\x68\x96\xbe\x92\xa9\x20\x57\x33\x2f\x57\x35\x2f\x57\x37";
const std::string kGothicLine =
    "\x81\x45\x83\x94\x83\x46\x83\x8b\x83\x68\x83\x53\x83\x56\x83\x62\x83\x4e\x20\x36\x8f\x91\x91\xcc";
const std::string kMaruLine = "\x81\x45\x8a\xdb\x83\x53";
const std::string kMincho = "\x96\xbe\x92\xa9\x91\xcc";  // a base name in Shift-JIS

Bytes IniText(const std::vector<std::string>& lines) {
  Bytes text;
  for (const std::string& line : lines) {
    text.insert(text.end(), line.begin(), line.end());
    text.push_back('\r');
    text.push_back('\n');
  }
  return text;
}

// Entries 1..n, entry n "VeldFont-<n>.pa" with patch 2000 + n.
std::vector<std::string> Entries(int n) {
  std::vector<std::string> lines;
  for (int i = 1; i <= n; ++i) {
    lines.push_back("FONT_PAFILE" + std::to_string(i) + "=VeldFont-" + std::to_string(i) + ".pa");
    lines.push_back("FONT_RESNUM" + std::to_string(i) + "=" + std::to_string(2000 + i));
  }
  return lines;
}

void SetTempFolder(const std::string& folder) {
#ifdef _WIN32
  _putenv_s("TMP", folder.c_str());
#else
  setenv("TMPDIR", folder.c_str(), 1);
#endif
}

// The files below `folder` (on Linux the program's temporary files are in
// a private folder it makes there).
std::size_t FilesIn(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    count += entry.is_regular_file() ? 1 : 0;
  return count;
}

class ResFileCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    const char* old = std::getenv("TMP");
#else
    const char* old = std::getenv("TMPDIR");
#endif
    m_oldTemp = old ? old : "";
    m_hadTemp = old != nullptr;
    SetTempFolder(m_temp.Path());
    for (int n = 1; n <= 381; ++n)
      m_resources.Add("FONT_PA", static_cast<std::uint16_t>(2000 + n), {'V', 'K', 'T', 'P'});
    platform::SetResourceSource(&m_resources);
  }
  void TearDown() override {
    CResFileCtrl::ReleaseUpdateList();
    platform::SetResourceSource(nullptr);
#ifdef _WIN32
    _putenv_s("TMP", m_oldTemp.c_str());
#else
    if (m_hadTemp) {
      setenv("TMPDIR", m_oldTemp.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
#endif
  }

  void SetList(std::vector<std::string> updateFont, std::vector<std::string> startDialog = {}) {
    std::vector<std::string> lines = {"[UPDATE_FONT]"};
    lines.insert(lines.end(), updateFont.begin(), updateFont.end());
    lines.push_back("[UPDATE_STARTDLG_STRING]");
    lines.insert(lines.end(), startDialog.begin(), startDialog.end());
    m_resources.Add("INIFILE", 2000, IniText(lines));
  }

  static std::vector<std::string> Names(const CResFileCtrl& list) {
    std::vector<std::string> names;
    for (const auto& entry : list.entries) names.push_back(entry->fontFileName);
    return names;
  }

  test_support::ScratchFolder m_temp;
  platform::MemoryResources m_resources;
  std::string m_oldTemp;
  bool m_hadTemp = false;
};

TEST_F(ResFileCtrlTest, ReadsEveryEntryThroughOneTemporaryFile) {
  std::vector<std::string> lines = {"MAXNUM=3", "FONT_PAFILE1=VeldMincho-W3.pa", "FONT_RESNUM1=2001",
                                    // a path and another extension: only the base name counts
                                    "FONT_PAFILE2=C:\\Fonts\\Patches\\VeldGothic-W5.ttf", "FONT_RESNUM2=2002",
                                    "FONT_PAFILE3=" + kMincho + "-W9.pa", "font_resnum3 = 2003 "};
  SetList(lines);
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->maxNum, 3);
  EXPECT_EQ(list->count, 3);
  EXPECT_EQ(Names(*list), (std::vector<std::string>{"VeldMincho-W3.otf", "VeldGothic-W5.otf", kMincho + "-W9.otf"}));
  EXPECT_EQ(list->entries[0]->resourceNumber, 2001);
  EXPECT_EQ(list->entries[2]->resourceNumber, 2003);

  // The INI text stands in the temporary folder as it was embedded.
  ASSERT_FALSE(list->iniPath.empty());
  EXPECT_EQ(list->iniPath.rfind(m_temp.Path(), 0), 0u);
  EXPECT_EQ(list->iniPath.substr(list->iniPath.size() - 4), ".ini");
  Bytes expected;
  ASSERT_TRUE(platform::ReadWholeFile(list->iniPath, expected));
  platform::ResourceBytes embedded;
  ASSERT_TRUE(platform::LoadOwnResource("INIFILE", 2000, embedded));
  EXPECT_EQ(expected, Bytes(embedded.data, embedded.data + embedded.size));

  // A second call returns the same list and writes nothing more.
  EXPECT_EQ(CResFileCtrl::GetUpdateList(), list);
  EXPECT_EQ(FilesIn(m_temp.Path()), 1u);

  // Releasing it deletes the file; the next call starts over.
  CResFileCtrl::ReleaseUpdateList();
  EXPECT_EQ(FilesIn(m_temp.Path()), 0u);
  CResFileCtrl* again = CResFileCtrl::GetUpdateList();
  EXPECT_EQ(again->count, 3);
  EXPECT_EQ(FilesIn(m_temp.Path()), 1u);
}

TEST_F(ResFileCtrlTest, AMissingOrNonPositiveMaxNumReadsNothing) {
  struct Case {
    std::vector<std::string> lines;
    std::int32_t maxNum;
  };
  const std::vector<Case> cases = {
      {{"FONT_PAFILE1=A.pa", "FONT_RESNUM1=2001"}, 0},
      {{"MAXNUM=", "FONT_PAFILE1=A.pa", "FONT_RESNUM1=2001"}, 0},
      {{"MAXNUM=0", "FONT_PAFILE1=A.pa", "FONT_RESNUM1=2001"}, 0},
      {{"MAXNUM=-5", "FONT_PAFILE1=A.pa", "FONT_RESNUM1=2001"}, -5},
      {{"MAXNUM=many", "FONT_PAFILE1=A.pa", "FONT_RESNUM1=2001"}, 0},
  };
  for (const Case& c : cases) {
    SetList(c.lines);
    CResFileCtrl* list = CResFileCtrl::GetUpdateList();
    EXPECT_EQ(list->maxNum, c.maxNum) << c.lines[0];
    EXPECT_EQ(list->count, 0) << c.lines[0];
    EXPECT_TRUE(list->entries.empty()) << c.lines[0];
    CResFileCtrl::ReleaseUpdateList();
  }
}

TEST_F(ResFileCtrlTest, TheFirstMissingEntryEndsTheList) {
  std::vector<std::string> lines = {"MAXNUM=381"};
  for (const std::string& line : Entries(381)) {
    if (line.rfind("FONT_PAFILE200=", 0) != 0) lines.push_back(line);
  }
  SetList(lines);
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  EXPECT_EQ(list->maxNum, 381);
  EXPECT_EQ(list->count, 199);
  ASSERT_EQ(list->entries.size(), 199u);
  EXPECT_EQ(list->entries.back()->fontFileName, "VeldFont-199.otf");
  EXPECT_EQ(list->entries.back()->resourceNumber, 2199);
}

TEST_F(ResFileCtrlTest, OnlyMaxNumEntriesAreRead) {
  std::vector<std::string> lines = Entries(4);
  lines.insert(lines.begin(), "MAXNUM=2");
  SetList(lines);
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  EXPECT_EQ(list->count, 2);
  EXPECT_EQ(Names(*list), (std::vector<std::string>{"VeldFont-1.otf", "VeldFont-2.otf"}));
}

TEST_F(ResFileCtrlTest, AnEntryWithoutAUsablePatchEndsTheList) {
  m_resources.Add("FONT_PA", 3000, {});  // an empty patch
  struct Case {
    const char* what;
    std::string line;
    std::int32_t count;
  };
  const std::vector<Case> cases = {
      {"no number (-1 names 65535, which does not exist)", "", 2}, {"number 0", "FONT_RESNUM3=0", 2},
      {"a patch that does not exist", "FONT_RESNUM3=4000", 2},     {"an empty patch", "FONT_RESNUM3=3000", 2},
      {"the low 16 bits name the patch", "FONT_RESNUM3=67539", 4},  // 0x10000 + 2003
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"MAXNUM=4"};
    for (const std::string& line : Entries(4)) {
      if (line.rfind("FONT_RESNUM3=", 0) != 0) lines.push_back(line);
    }
    if (!c.line.empty()) lines.push_back(c.line);
    SetList(lines);
    CResFileCtrl* list = CResFileCtrl::GetUpdateList();
    EXPECT_EQ(list->count, c.count) << c.what;
    EXPECT_EQ(static_cast<std::int32_t>(list->entries.size()), c.count) << c.what;
    if (c.count == 4) {
      EXPECT_EQ(list->entries[2]->resourceNumber, 67539);
    }
    CResFileCtrl::ReleaseUpdateList();
  }
}

TEST_F(ResFileCtrlTest, WithoutItsTextOrATemporaryFolderTheListIsEmpty) {
  // No "INIFILE" block: nothing is written.
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  EXPECT_EQ(list->count, 0);
  EXPECT_TRUE(list->iniPath.empty());
  EXPECT_EQ(FilesIn(m_temp.Path()), 0u);
  list->ReadStartDialogLines();
  EXPECT_TRUE(list->fontTexts.empty());
  CResFileCtrl::ReleaseUpdateList();

  // A temporary folder that does not exist.
  std::vector<std::string> lines = Entries(2);
  lines.insert(lines.begin(), "MAXNUM=2");
  SetList(lines);
  SetTempFolder(m_temp.File("missing"));
  list = CResFileCtrl::GetUpdateList();
  EXPECT_EQ(list->count, 0);
  EXPECT_TRUE(list->iniPath.empty());
}

TEST_F(ResFileCtrlTest, ReadsTheStartDialogLines) {
  const std::vector<std::string> entries = {"MAXNUM=1", "FONT_PAFILE1=A.pa", "FONT_RESNUM1=2001"};
  // Line 3 is missing and line 5 empty: the later lines still follow.
  SetList(entries,
          {"MAIN_TEXTTITLE=" + kTitle, "MAXNUM=6", "FONT_TEXTTITLE1=" + kMinchoLine, "FONT_TEXTTITLE2=" + kGothicLine,
           "FONT_TEXTTITLE4=" + kMaruLine, "FONT_TEXTTITLE5=", "FONT_TEXTTITLE6=Veld Sans"});
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  list->ReadStartDialogLines();
  EXPECT_EQ(list->fontTexts, (std::vector<std::string>{kMinchoLine, kGothicLine, kMaruLine, "Veld Sans"}));
  list->ReadStartDialogLines();  // refilled, not appended to
  EXPECT_EQ(list->fontTexts.size(), 4u);

  // Clearing the list keeps the numbers and the lines.
  list->ClearUpdateList();
  EXPECT_TRUE(list->entries.empty());
  EXPECT_EQ(list->count, 1);
  EXPECT_EQ(list->maxNum, 1);
  EXPECT_EQ(list->fontTexts.size(), 4u);
  EXPECT_EQ(FilesIn(m_temp.Path()), 0u);
  CResFileCtrl::ReleaseUpdateList();

  // Lines in the order of their numbers, whatever the order in the file and
  // however large MAXNUM; a number past MAXNUM or written "07" is no line.
  SetList(entries, {"MAIN_TEXTTITLE=" + kTitle, "MAXNUM=2147483647", "FONT_TEXTTITLE900=" + kMaruLine,
                    "font_texttitle1=" + kMinchoLine, "FONT_TEXTTITLE07=x", "FONT_TEXTTITLE2147483648=y"});
  list = CResFileCtrl::GetUpdateList();
  list->ReadStartDialogLines();
  EXPECT_EQ(list->fontTexts, (std::vector<std::string>{kMinchoLine, kMaruLine}));
  CResFileCtrl::ReleaseUpdateList();

  const std::vector<std::vector<std::string>> empties = {
      {"MAXNUM=2", "FONT_TEXTTITLE1=" + kMinchoLine},                     // no title
      {"MAIN_TEXTTITLE=", "MAXNUM=2", "FONT_TEXTTITLE1=" + kMinchoLine},  // an empty title
      {"MAIN_TEXTTITLE=" + kTitle, "FONT_TEXTTITLE1=" + kMinchoLine},     // no number
      {"MAIN_TEXTTITLE=" + kTitle, "MAXNUM=0", "FONT_TEXTTITLE1=" + kMinchoLine},
      {"MAIN_TEXTTITLE=" + kTitle, "MAXNUM=-1", "FONT_TEXTTITLE1=" + kMinchoLine},
  };
  for (const auto& lines : empties) {
    SetList(entries, lines);
    list = CResFileCtrl::GetUpdateList();
    list->ReadStartDialogLines();
    EXPECT_TRUE(list->fontTexts.empty()) << lines[0];
    CResFileCtrl::ReleaseUpdateList();
  }
}

}  // namespace
