// The update list: which font files the program revises and the number of
// each one's patch, read from the embedded INI text ("INIFILE" 2000) through
// a copy in the temporary folder (read back once), and the font lines of the
// start dialog.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Ini.h"

// One entry of the update list.
struct UpdateListEntry {
  std::string fontFileName;         // the installed font's file name: base name + ".otf"
  std::int32_t resourceNumber = 0;  // "FONT_RESNUM" n; its low 16 bits name the "FONT_PA" block
};

class CResFileCtrl {
 public:
  CResFileCtrl() = default;
  virtual ~CResFileCtrl();
  CResFileCtrl(const CResFileCtrl&) = delete;
  CResFileCtrl& operator=(const CResFileCtrl&) = delete;

  // The one instance of the run: the first call creates and loads it.
  static CResFileCtrl* GetUpdateList();
  // Clears and deletes the instance (its temporary INI file included) when
  // it exists; a later GetUpdateList starts over.
  static void ReleaseUpdateList();

  // Writes the INI text to a fresh temporary file and reads the entries 1 to
  // count, stopping at the first missing or unusable one. Starts by clearing
  // what an earlier load left.
  void LoadUpdateList();
  // Deletes the temporary INI file and every entry; maxNum, count and
  // fontTexts keep their values.
  void ClearUpdateList();
  // Refills fontTexts and mainTextTitle from "UPDATE_STARTDLG_STRING".
  void ReadStartDialogLines();

  std::vector<std::unique_ptr<UpdateListEntry>> entries;  // list order; owned
  std::string iniPath;                                    // the temporary INI file; empty while none was written
  std::int32_t maxNum = 0;
  std::int32_t count = 0;
  std::vector<std::string> fontTexts;
  std::string mainTextTitle;  // the heading of the font lines (code page 932); fontTexts stays empty without it

 private:
  // The file at iniPath as read once after it was written; every key is
  // looked up here (empty while iniPath is).
  platform::IniText iniText;
};
