// The update bundle: from pairs of installed and revised fonts to an update
// data folder (update.ini, patches/NNNN.pa, download-names.txt) that
// `cmake -DUPDATE_DATA=DIR` embeds in the updater.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/authoring/PatchMaker.h"

namespace authoring {

struct BundleFont {
  std::string installedFileName;  // the file name the updater looks for, ending in ".otf"
  std::string oldPath;            // the font as installed
  std::string newPath;            // the revised font
  std::string downloadName;       // optional: the maker's download copy of this font
};

struct BundleInput {
  std::vector<BundleFont> fonts;           // in update list order
  std::vector<std::string> downloadNames;  // more download names, besides the fonts' own
  std::string title;                       // "MAIN_TEXTTITLE" ("{count}": the number of fonts); empty: the default
  unsigned jobs = 0;                       // patches made at once; 0: one a core, at most 8
};

// A manifest: one font a line, the installed file name, the installed font
// and the revised font separated by tabs, and optionally the download name;
// paths relative to the manifest's folder; blank lines and lines starting
// with '#' are skipped.
bool ReadManifest(const std::string& path, std::vector<BundleFont>& fonts, std::string& error);

// A folder of pairs: FOLDER/old/NAME.otf is installed as NAME.otf and revised
// into FOLDER/new/NAME.otf. Fonts in file name order; every font needs its
// partner.
bool ReadPairFolder(const std::string& folder, std::vector<BundleFont>& fonts, std::string& error);

// A list of download names, one a line (blank lines and '#' lines skipped).
bool ReadDownloadNames(const std::string& path, std::vector<std::string>& names, std::string& error);

// The start dialog title: `title` with "{count}" replaced by the number of
// fonts, or "下記Nフォントが改訂対象です。" when it is empty.
std::string TitleWithCount(const std::string& title, std::size_t fontCount);

// Whether `name` is a download name: five decimal digits.
bool IsDownloadName(const std::string& name);

struct BundledFont {
  std::string installedFileName;
  int patchNumber = 0;
  MakeResult made;  // without its patch bytes, which went to the folder
};

using BundleLog = std::function<void(const std::string& line)>;

// Makes every patch (each checked with the updater's code; `input.jobs` of
// them at once, the files and the log the same whatever the number), then writes the
// folder `outFolder`, which must not exist or be empty. Everything is written
// to a sibling folder first and moved into place only when all of it was
// made, so a failure leaves no update data behind. `log` hears one line per
// font and every note.
bool WriteBundle(const BundleInput& input, const std::string& outFolder, const BundleLog& log,
                 std::vector<BundledFont>& bundled, std::string& error);

}  // namespace authoring
