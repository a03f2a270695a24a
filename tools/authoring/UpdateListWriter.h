// Writing the update list: the INI text the updater embeds as "INIFILE"
// 2000, in code page 932 with CRLF line ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace authoring {

constexpr int kFirstPatchNumber = 2001;

struct ListedFont {
  std::string installedFileName;  // UTF-8, the installed font's file name, ending in ".otf"
  int resourceNumber = 0;         // the "FONT_PA" number of its patch
};

struct UpdateListContent {
  std::vector<ListedFont> entries;  // entry n is entries[n - 1]
  std::string title;                // UTF-8, "MAIN_TEXTTITLE"
  std::vector<std::string> lines;   // UTF-8, the start dialog's font lines
};

// The INI text in code page 932 with CRLF line ends: section "UPDATE_FONT"
// with "MAXNUM", "FONT_PAFILE" n (the installed name's stem and ".pa") and
// "FONT_RESNUM" n; section "UPDATE_STARTDLG_STRING" with "MAIN_TEXTTITLE",
// "MAXNUM" and "FONT_TEXTTITLE" n. False with a reason when a text has no
// code page 932 form, does not fit what the updater reads (254 bytes a value,
// 1,023 for the title), or would not read back as written (blanks or quotes
// around it, line breaks in it).
bool WriteUpdateList(const UpdateListContent& content, std::string& iniText, std::string& error);

}  // namespace authoring
