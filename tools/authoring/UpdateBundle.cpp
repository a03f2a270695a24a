// Writing an update data folder from font pairs.
#include "tools/authoring/UpdateBundle.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>

#include "font/OpenTypeFont.h"
#include "platform/Files.h"
#include "platform/TempFiles.h"
#include "tools/authoring/FamilyNames.h"
#include "tools/authoring/InputFile.h"
#include "tools/authoring/OutputFile.h"
#include "tools/authoring/UpdateDataCheck.h"
#include "tools/authoring/UpdateDataFolder.h"
#include "tools/authoring/UpdateListWriter.h"

namespace authoring {
namespace {

namespace fs = std::filesystem;

constexpr int kLastPatchNumber = 65535;

// Each worker holds two fonts and the differ's index of the larger tables,
// about 280 MB for a 22 MB font; so by default one a core, at most eight.
std::size_t BundleJobs(unsigned wanted) {
  if (wanted != 0) return wanted;
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(cores, 1u, 8u);
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream stream(line);
  while (std::getline(stream, field, '\t')) fields.push_back(Trimmed(field));
  return fields;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
  std::vector<std::uint8_t> bytes;
  if (ReadInputFile(path, bytes, error) != InputRead::kRead) return false;
  std::istringstream stream(std::string(bytes.begin(), bytes.end()));
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

bool IsSkipped(const std::string& line) {
  const std::string trimmed = Trimmed(line);
  return trimmed.empty() || trimmed.front() == '#';
}

// The names of the installed font for the start dialog, or the file name's
// stem when its name table says nothing usable.
FamilyName FamilyOf(const std::vector<std::uint8_t>& image, const std::string& installedFileName) {
  FamilyName name;
  COpenTypeFont font;
  if (font.ReadFontImage(image, installedFileName, nullptr, nullptr, 1, 0) == 0) {
    if (const CTagObject* table = font.FindTagObject("name"); table != nullptr && ReadFamilyName(table->Data(), name)) {
      return name;
    }
  }
  name.family = fs::path(installedFileName).stem().string();
  name.style.clear();
  return name;
}

// Removes the staging folder unless the bundle was moved into place.
class CStagingFolder {
 public:
  explicit CStagingFolder(fs::path path) : m_path(std::move(path)) {}
  ~CStagingFolder() {
    if (!m_kept) {
      std::error_code ignored;
      fs::remove_all(m_path, ignored);
    }
  }
  CStagingFolder(const CStagingFolder&) = delete;
  CStagingFolder& operator=(const CStagingFolder&) = delete;

  const fs::path& Path() const { return m_path; }
  void Keep() { m_kept = true; }

 private:
  fs::path m_path;
  bool m_kept = false;
};

bool WriteFile(const fs::path& path, const std::string& text, std::string& error) {
  if (!platform::WriteNewFile(path.string(), reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                              platform::NewFileAccess::kUsual)) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace

std::string TitleWithCount(const std::string& title, std::size_t fontCount) {
  const std::string count = std::to_string(fontCount);
  if (title.empty()) return "下記" + count + "フォントが改訂対象です。";
  std::string filled = title;
  static const std::string kCount = "{count}";
  for (std::size_t at = filled.find(kCount); at != std::string::npos; at = filled.find(kCount, at + count.size())) {
    filled.replace(at, kCount.size(), count);
  }
  return filled;
}

bool IsDownloadName(const std::string& name) {
  return name.size() == 5 && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ReadManifest(const std::string& path, std::vector<BundleFont>& fonts, std::string& error) {
  fonts.clear();
  std::vector<std::string> lines;
  if (!ReadTextLines(path, lines, error)) return false;
  const fs::path base = fs::path(path).parent_path();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsSkipped(lines[i])) continue;
    const std::vector<std::string> fields = SplitTabs(lines[i]);
    const std::string where = path + ":" + std::to_string(i + 1) + ": ";
    if (fields.size() < 3 || fields.size() > 4 || fields[0].empty() || fields[1].empty() || fields[2].empty()) {
      error = where +
              "expected the installed file name, the installed font and the revised font, separated by "
              "tabs, and optionally the download name";
      return false;
    }
    BundleFont font;
    font.installedFileName = fields[0];
    font.oldPath = (base / fields[1]).string();
    font.newPath = (base / fields[2]).string();
    if (fields.size() == 4) font.downloadName = fields[3];
    fonts.push_back(font);
  }
  if (fonts.empty()) {
    error = path + " names no fonts";
    return false;
  }
  return true;
}

bool ReadPairFolder(const std::string& folder, std::vector<BundleFont>& fonts, std::string& error) {
  fonts.clear();
  const fs::path oldFolder = fs::path(folder) / "old";
  const fs::path newFolder = fs::path(folder) / "new";
  std::error_code failed;
  if (!fs::is_directory(oldFolder, failed) || !fs::is_directory(newFolder, failed)) {
    error = folder + " must hold the folders old/ (the fonts as installed) and new/ (the revised fonts)";
    return false;
  }
  std::set<std::string> oldNames;
  std::set<std::string> newNames;
  for (const auto& [where, names] : {std::pair{&oldFolder, &oldNames}, {&newFolder, &newNames}}) {
    for (const fs::directory_entry& entry : fs::directory_iterator(*where, failed)) {
      if (entry.is_regular_file()) names->insert(entry.path().filename().string());
    }
    if (failed) {
      error = "cannot list " + where->string();
      return false;
    }
  }
  for (const std::string& name : oldNames) {
    if (newNames.count(name) == 0) {
      error = "old/" + name + " has no revised font new/" + name;
      return false;
    }
  }
  for (const std::string& name : newNames) {
    if (oldNames.count(name) == 0) {
      error = "new/" + name + " has no installed font old/" + name;
      return false;
    }
    fonts.push_back({name, (oldFolder / name).string(), (newFolder / name).string(), {}});
  }
  if (fonts.empty()) {
    error = folder + " holds no font pairs";
    return false;
  }
  return true;
}

bool ReadDownloadNames(const std::string& path, std::vector<std::string>& names, std::string& error) {
  std::vector<std::string> lines;
  if (!ReadTextLines(path, lines, error)) return false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsSkipped(lines[i])) continue;
    const std::string name = Trimmed(lines[i]);
    if (!IsDownloadName(name)) {
      error = path + ":" + std::to_string(i + 1) + ": \"" + name + "\" is not a download name (five digits)";
      return false;
    }
    names.push_back(name);
  }
  return true;
}

bool WriteBundle(const BundleInput& input, const std::string& outFolder, const BundleLog& log,
                 std::vector<BundledFont>& bundled, std::string& error) {
  bundled.clear();
  if (input.fonts.empty()) {
    error = "no fonts to bundle";
    return false;
  }
  if (input.fonts.size() > static_cast<std::size_t>(kLastPatchNumber - kFirstPatchNumber + 1)) {
    error = "too many fonts: the patch numbers run from 2001 to 65535";
    return false;
  }
  const std::string title = TitleWithCount(input.title, input.fonts.size());
  if (const std::optional<int> stated = StatedFontCount(title);
      stated && *stated != static_cast<int>(input.fonts.size())) {
    error = "the title says " + std::to_string(*stated) + " fonts, the bundle has " +
            std::to_string(input.fonts.size()) + " (write {count} in the title and the number is filled in)";
    return false;
  }
  std::set<std::string> installedNames;
  std::vector<std::string> downloadNames;
  std::set<std::string> seenDownloadNames;
  auto addDownloadName = [&](const std::string& name) {
    if (!IsDownloadName(name)) {
      error = "\"" + name + "\" is not a download name (five digits)";
      return false;
    }
    if (seenDownloadNames.insert(name).second) downloadNames.push_back(name);
    return true;
  };
  for (const BundleFont& font : input.fonts) {
    if (!installedNames.insert(font.installedFileName).second) {
      error = "the installed file name " + font.installedFileName + " is listed twice";
      return false;
    }
    if (!font.downloadName.empty() && !addDownloadName(font.downloadName)) return false;
  }
  for (const std::string& name : input.downloadNames) {
    if (!addDownloadName(name)) return false;
  }

  const fs::path out = fs::absolute(fs::path(outFolder)).lexically_normal();
  std::error_code failed;
  if (fs::exists(out, failed) && !(fs::is_directory(out, failed) && fs::is_empty(out, failed))) {
    error = out.string() + " exists and is not an empty folder; choose a new one";
    return false;
  }
  std::string stagingPath;
  if (!platform::FindFreshPath((out.parent_path() / (out.filename().string() + ".partial-")).string(), "",
                               stagingPath)) {
    error = "no free name beside " + out.string();
    return false;
  }
  CStagingFolder staging(stagingPath);
  if (!fs::create_directories(staging.Path() / kPatchFolderName, failed)) {
    error = "cannot create " + staging.Path().string();
    return false;
  }

  // The patches are made side by side, each font on its own by one of the
  // workers; what is written and logged comes out in list order whatever
  // the order the fonts are finished in.
  struct FontOutcome {
    bool made = false;
    std::string error;
    std::vector<std::string> lines;
    BundledFont entry;
    FamilyName family;
  };
  std::vector<FontOutcome> outcomes(input.fonts.size());
  std::atomic<std::size_t> next{0};
  auto makeFont = [&](std::size_t i, FontOutcome& outcome) {
    const BundleFont& font = input.fonts[i];
    std::vector<std::uint8_t> oldImage;
    std::vector<std::uint8_t> newImage;
    if (ReadInputFile(font.oldPath, oldImage, outcome.error) != InputRead::kRead ||
        ReadInputFile(font.newPath, newImage, outcome.error) != InputRead::kRead) {
      return;
    }
    BundledFont& entry = outcome.entry;
    entry.installedFileName = font.installedFileName;
    entry.patchNumber = kFirstPatchNumber + static_cast<int>(i);
    if (!MakePatch(oldImage, newImage, entry.made, outcome.error)) {
      outcome.error = font.installedFileName + ": " + outcome.error;
      return;
    }
    const fs::path patchPath =
        staging.Path() / kPatchFolderName / PatchFileName(static_cast<std::uint16_t>(entry.patchNumber));
    if (!platform::WriteNewFile(patchPath.string(), entry.made.patch.data(), entry.made.patch.size(),
                                platform::NewFileAccess::kUsual)) {
      outcome.error = "cannot write " + patchPath.string();
      return;
    }
    outcome.lines.push_back(font.installedFileName + ": patch " + std::to_string(entry.patchNumber) + ", " +
                            std::to_string(entry.made.patch.size()) + " bytes, for \"" + entry.made.fontName + "\"");
    for (const std::string& note : entry.made.notes) outcome.lines.push_back("  " + note);
    entry.made.patch.clear();
    entry.made.patch.shrink_to_fit();
    outcome.family = FamilyOf(oldImage, font.installedFileName);
    outcome.made = true;
  };
  // Every pair is made, so that every refusal is reported at once.
  auto work = [&] {
    for (std::size_t i = next++; i < outcomes.size(); i = next++) makeFont(i, outcomes[i]);
  };
  const std::size_t workerCount = std::min<std::size_t>(BundleJobs(input.jobs), outcomes.size());
  {
    std::vector<std::jthread> workers;
    for (std::size_t w = 1; w < workerCount; ++w) workers.emplace_back(work);
    work();
  }
  // Every font that failed, in list order, one a line; and no patch line
  // is logged unless every font was made.
  std::size_t refused = 0;
  for (const FontOutcome& outcome : outcomes) {
    if (outcome.made) continue;
    error += (refused++ == 0 ? "" : "\n") + (outcome.error.empty() ? std::string("stopped") : outcome.error);
  }
  if (refused > 0) {
    if (refused > 1)
      error += "\n" + std::to_string(refused) + " of " + std::to_string(outcomes.size()) + " pairs refused";
    return false;
  }
  UpdateListContent list;
  std::vector<FamilyName> families;
  for (FontOutcome& outcome : outcomes) {
    if (log) {
      for (const std::string& line : outcome.lines) log(line);
    }
    list.entries.push_back({outcome.entry.installedFileName, outcome.entry.patchNumber});
    families.push_back(std::move(outcome.family));
    bundled.push_back(std::move(outcome.entry));
  }

  list.title = TitleWithCount(input.title, input.fonts.size());
  list.lines = BuildFontLines(families);
  std::string ini;
  if (!WriteUpdateList(list, ini, error)) return false;
  if (!WriteFile(staging.Path() / kUpdateListFileName, ini, error)) return false;
  if (!downloadNames.empty()) {
    std::string text;
    for (const std::string& name : downloadNames) text += name + "\n";
    if (!WriteFile(staging.Path() / kDownloadNamesFileName, text, error)) return false;
  }

  if (fs::exists(out, failed)) fs::remove(out, failed);  // the empty folder the bundle replaces
  fs::rename(staging.Path(), out, failed);
  if (failed) {
    error = "cannot move the bundle into " + out.string() + ": " + failed.message();
    return false;
  }
  staging.Keep();
  return true;
}

}  // namespace authoring
