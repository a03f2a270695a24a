// The check of an update data folder. Values are read with the updater's own
// profile reader and patches with its own patch reader; a small scan of the
// INI text adds the line numbers and the keys the updater would pass over.
#include "tools/authoring/UpdateDataCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

#include "font/OpenTypeFont.h"
#include "patch/MakeSabunData.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "tools/authoring/InputFile.h"
#include "tools/authoring/TextCodes.h"
#include "tools/authoring/UpdateDataFolder.h"

namespace authoring {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFontSection = "UPDATE_FONT";
constexpr const char* kStartSection = "UPDATE_STARTDLG_STRING";
constexpr std::size_t kValueBuffer = 255;   // the updater reads values into 255 bytes
constexpr std::size_t kTitleBuffer = 1024;  // and the title into 1,024
constexpr const char* kBundleAgain = "make the folder again with sabun bundle";

struct IniKey {
  std::string name;
  int line = 0;
};

struct IniSection {
  std::string name;
  int line = 0;
  std::vector<IniKey> keys;
  std::map<std::string, int> firstLines;  // upper-case key name: the line of its first key
};

bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && IsBlank(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The INI text's lines, numbered from 1 (CR, LF or CRLF end a line).
std::vector<std::pair<int, std::string>> NumberedLines(const std::string& text) {
  std::vector<std::pair<int, std::string>> lines;
  int number = 1;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(number++, text.substr(start, i - start));
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

// The sections and their key lines, in file order, as the profile reader
// splits them (a header is '[' up to the last ']').
std::vector<IniSection> ScanIni(const std::string& text) {
  std::vector<IniSection> sections(1);  // keys before any header
  for (const auto& [number, raw] : NumberedLines(text)) {
    const std::string line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    const std::size_t closing = line.rfind(']');
    if (line.front() == '[' && closing != std::string::npos) {
      sections.push_back({Trim(line.substr(1, closing - 1)), number, {}, {}});
      continue;
    }
    IniSection& section = sections.back();
    section.keys.push_back({Trim(line.substr(0, line.find('='))), number});
    section.firstLines.emplace(Upper(section.keys.back().name), number);
  }
  return sections;
}

const IniSection* FindSection(const std::vector<IniSection>& sections, const std::string& name) {
  for (std::size_t i = 1; i < sections.size(); ++i) {
    if (Upper(sections[i].name) == Upper(name)) return &sections[i];
  }
  return nullptr;
}

int LineOf(const IniSection* section, const std::string& key) {
  if (section == nullptr) return 0;
  const auto found = section->firstLines.find(Upper(key));
  return found != section->firstLines.end() ? found->second : section->line;
}

// "STEM" followed by a number without leading zeros: the number, else 0.
int KeyNumber(const std::string& key, const std::string& stem) {
  const std::string upper = Upper(key);
  if (upper.size() <= stem.size() || upper.compare(0, stem.size(), stem) != 0) return 0;
  const std::string digits = upper.substr(stem.size());
  if (digits.size() > 6 || digits.front() == '0' || digits.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  return std::stoi(digits);
}

// A decimal number of at most six digits and nothing else, or nothing.
std::optional<int> Decimal(const std::string& value) {
  if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoi(value);
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The revised font's head.fontRevision, from the head record of the patch:
// the bytes its new segments carry at offsets 4 to 7, or the installed
// font's own where an old segment keeps them (the installed revision is the
// one the patch names). Nothing when the patch does not tell.
std::optional<std::uint32_t> NewRevision(const CMakeSabunData& patch) {
  const CSabunTagObject* head = nullptr;
  for (const auto& record : patch.records) {
    if (std::string(record->tag) == "head") head = record.get();
  }
  if (head == nullptr) return std::nullopt;
  if (head->record.dataOffset == 0) return patch.oldRevision;  // the table is kept
  std::uint32_t revision = 0;
  for (std::uint32_t at = 4; at < 8; ++at) {
    std::optional<std::uint8_t> byte;
    for (const auto& segment : head->newSegments) {
      if (at >= segment->dstOffset && at - segment->dstOffset < segment->length) {
        byte = segment->Bytes()[at - segment->dstOffset];
      }
    }
    for (std::size_t i = 0; !byte && i < head->oldSegments.GetSize(); ++i) {
      const COldTagObject* segment = head->oldSegments[i];
      if (at < segment->dstOffset || at - segment->dstOffset >= segment->length) continue;
      const std::uint32_t source = segment->srcOffset + (at - segment->dstOffset);
      if (source < 4 || source >= 8) return std::nullopt;
      byte = static_cast<std::uint8_t>(patch.oldRevision >> (8 * (7 - source)));
    }
    if (!byte) return std::nullopt;
    revision = (revision << 8) | *byte;
  }
  return revision;
}

}  // namespace

std::optional<int> StatedFontCount(const std::string& utf8) {
  static const std::string kFonts = "フォント";
  static const std::string kWideZero = "０";  // U+FF10, three bytes; the digits follow in order
  for (std::size_t at = utf8.find(kFonts); at != std::string::npos; at = utf8.find(kFonts, at + 1)) {
    std::string digits;
    std::size_t end = at;
    while (end > 0) {
      const unsigned char c = static_cast<unsigned char>(utf8[end - 1]);
      if (c >= '0' && c <= '9') {
        digits.insert(digits.begin(), static_cast<char>(c));
        end -= 1;
      } else if (end >= 3 && utf8.compare(end - 3, 2, kWideZero, 0, 2) == 0 &&
                 static_cast<unsigned char>(utf8[end - 1]) >= 0x90 &&
                 static_cast<unsigned char>(utf8[end - 1]) <= 0x99) {
        digits.insert(digits.begin(), static_cast<char>('0' + (static_cast<unsigned char>(utf8[end - 1]) - 0x90)));
        end -= 3;
      } else {
        break;
      }
    }
    if (!digits.empty() && digits.size() <= 6) return std::stoi(digits);
  }
  return std::nullopt;
}

namespace {

// What a dialog shows of `bytes` read as code page 932; "?" where a byte
// forms no character.
std::string ShownAsCp932(const std::string& bytes) {
  std::string shown;
  for (std::size_t i = 0; i < bytes.size();) {
    std::string character;
    const bool pair = i + 1 < bytes.size() && DecodeCp932(bytes.substr(i, 2), character);
    if (pair) {
      i += 2;
    } else if (DecodeCp932(bytes.substr(i, 1), character)) {
      i += 1;
    } else {
      character = "?";
      i += 1;
    }
    shown += character;
  }
  return shown;
}

class CFolderCheck {
 public:
  CFolderCheck(const std::string& folder, CheckSummary& summary) : m_folder(folder), m_summary(summary) {}

  std::vector<CheckProblem> Run() {
    std::error_code failed;
    if (!fs::is_directory(m_folder, failed)) {
      Error("", 0, "no such folder", "give the folder sabun bundle wrote");
      return m_problems;
    }
    ListPatches();
    if (ReadIni()) {
      CheckEntries();
      CheckStartDialog();
    }
    CheckUnlistedPatches();
    CheckDownloadNames();
    return m_problems;
  }

 private:
  void Error(const std::string& file, int line, const std::string& what, const std::string& fix) {
    m_problems.push_back({file, line, what, fix, false});
  }
  void Warning(const std::string& file, int line, const std::string& what, const std::string& fix) {
    m_problems.push_back({file, line, what, fix, true});
  }

  std::string Path(const std::string& relative) const { return (fs::path(m_folder) / relative).string(); }

  std::string Value(const char* section, const std::string& key, std::size_t buffer = kValueBuffer) const {
    return m_ini.String(section, key.c_str(), "", buffer);
  }

  // The patches by number, named as the build embeds them.
  void ListPatches() {
    std::error_code failed;
    const fs::path folder = fs::path(m_folder) / kPatchFolderName;
    if (!fs::is_directory(folder, failed)) return;
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failed)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string stem = name.size() > 3 && name.ends_with(".pa") ? name.substr(0, name.size() - 3) : "";
      const std::optional<int> number = Decimal(stem);
      if (!number || *number == 0 || *number > 65535 || stem.front() == '0') {
        Warning(std::string(kPatchFolderName) + "/" + name, 0, "is not named by a patch number (NNNN.pa)",
                "the build leaves it out; remove it");
        continue;
      }
      m_patchFiles[*number] = name;
    }
  }

  bool ReadIni() {
    std::vector<std::uint8_t> bytes;
    std::string readError;
    const InputRead read = ReadInputFile(Path(kUpdateListFileName), bytes, readError);
    if (read != InputRead::kRead) {
      Error(kUpdateListFileName, 0,
            read == InputRead::kTooLarge ? "is larger than any update list the updater reads"
                                         : "is missing or cannot be read",
            kBundleAgain);
      return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    bytes = {};
    // Read once: the values are looked up in this, as the updater looks them up.
    m_ini = platform::IniText(text);
    CheckEncoding(text);
    m_sections = ScanIni(text);
    std::set<std::string> seen;
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
      const IniSection& section = m_sections[i];
      const std::string upper = Upper(section.name);
      if (!seen.insert(upper).second) {
        Error(kUpdateListFileName, section.line, "[" + section.name + "] appears a second time",
              "the updater reads only the first; merge the two");
      } else if (upper != kFontSection && upper != kStartSection) {
        Warning(kUpdateListFileName, section.line, "[" + section.name + "] is not read by the updater",
                std::string("the sections are [") + kFontSection + "] and [" + kStartSection + "]");
      }
    }
    if (!m_sections[0].keys.empty()) {
      Warning(kUpdateListFileName, m_sections[0].keys.front().line, "lines before the first section are not read",
              "remove them");
    }
    return true;
  }

  // Code page 932 without a byte order mark: the updater hands the bytes to
  // the dialogs as code page 932, so UTF-8 text shows as "繝｡繝ｼ繧ｫ...".
  void CheckEncoding(const std::string& text) {
    std::string converted;
    if (text.starts_with("\xEF\xBB\xBF")) {
      Error(kUpdateListFileName, 1, "was saved as UTF-8 (it starts with a byte order mark)",
            "save it as Shift-JIS (code page 932) without a byte order mark, or " + std::string(kBundleAgain));
      return;
    }
    if (!IsAscii(text) && ConvertText("UTF-8", "UTF-8", text, converted)) {
      int first = 0;
      std::string line;
      for (const auto& [number, raw] : NumberedLines(text)) {
        if (!IsAscii(raw)) {
          first = number;
          line = Trim(raw);
          break;
        }
      }
      const std::string shown = ShownAsCp932(line);
      Error(kUpdateListFileName, first,
            "was saved as UTF-8, not code page 932: the start dialog would show \"" + shown + "\"",
            "save it as Shift-JIS (code page 932), or " + std::string(kBundleAgain));
      return;
    }
    for (const auto& [number, raw] : NumberedLines(text)) {
      if (!IsAscii(raw) && !DecodeCp932(raw, converted)) {
        Error(kUpdateListFileName, number, "is not code page 932 text", "save the file as Shift-JIS (code page 932)");
      }
    }
  }

  void CheckEntries() {
    const IniSection* section = FindSection(m_sections, kFontSection);
    if (section == nullptr) {
      Error(kUpdateListFileName, 0, std::string("has no [") + kFontSection + "] section",
            "the updater finds no fonts to revise; " + std::string(kBundleAgain));
      return;
    }
    const std::string maxText = Value(kFontSection, "MAXNUM");
    const std::optional<int> maxNum = Decimal(maxText);
    if (!maxNum || *maxNum == 0) {
      Error(kUpdateListFileName, LineOf(section, "MAXNUM"),
            maxText.empty() ? std::string("[") + kFontSection + "] has no MAXNUM"
                            : "MAXNUM=" + maxText + " is not a number of fonts",
            "MAXNUM is the number of fonts in the list; the updater revises nothing without it");
    }
    // The entries the keys name, whatever MAXNUM says, and keys the updater
    // passes over.
    int highest = maxNum.value_or(0);
    std::map<std::string, int> keyLines;
    for (const IniKey& key : section->keys) {
      const std::string upper = Upper(key.name);
      if (!keyLines.emplace(upper, key.line).second) {
        Error(kUpdateListFileName, key.line,
              key.name + " appears a second time (first on line " + std::to_string(keyLines[upper]) + ")",
              "the updater reads only the first; remove one");
        continue;
      }
      const int n = std::max(KeyNumber(key.name, "FONT_PAFILE"), KeyNumber(key.name, "FONT_RESNUM"));
      if (n > 0) {
        highest = std::max(highest, n);
        if (maxNum && n > *maxNum) {
          Error(kUpdateListFileName, key.line,
                key.name + " is entry " + std::to_string(n) + ", beyond MAXNUM=" + std::to_string(*maxNum) +
                    ": the updater never reads it",
                "set MAXNUM to the number of fonts");
        }
      } else if (upper != "MAXNUM") {
        Error(kUpdateListFileName, key.line, "\"" + key.name + "\" is not a key the updater reads",
              "the keys are MAXNUM, FONT_PAFILEn and FONT_RESNUMn (n from 1); correct its name");
      }
    }
    m_summary.fonts = maxNum.value_or(0);
    m_listRead = true;

    std::map<std::string, int> fileNames;
    std::map<int, int> numbers;
    for (int n = 1; n <= highest; ++n) {
      const std::string fileKey = "FONT_PAFILE" + std::to_string(n);
      const std::string numberKey = "FONT_RESNUM" + std::to_string(n);
      const std::string fileValue = Value(kFontSection, fileKey);
      const std::string numberValue = Value(kFontSection, numberKey);
      const bool anyKey = keyLines.count(fileKey) != 0 || keyLines.count(numberKey) != 0;
      const int line = anyKey ? LineOf(section, keyLines.count(fileKey) != 0 ? fileKey : numberKey) : section->line;
      const std::string stops =
          "; the updater stops reading the list at entry " + std::to_string(n) + " and drops every font after it";
      if (!anyKey) {
        Error(kUpdateListFileName, line,
              "entry " + std::to_string(n) + " is missing (no " + fileKey + ", no " + numberKey + ")" + stops,
              "add it, or set MAXNUM to the number of fonts");
        continue;
      }
      if (fileValue.empty()) {
        Error(kUpdateListFileName, line, fileKey + " is missing or empty" + stops,
              "give the installed font's file name with .pa (NAME.otf is listed as NAME.pa)");
      } else {
        const std::string installed = fs::path(fileValue).stem().string() + ".otf";
        const auto [at, fresh] = fileNames.emplace(installed, n);
        if (!fresh) {
          Error(kUpdateListFileName, LineOf(section, fileKey),
                fileKey + " names " + installed + " again (entry " + std::to_string(at->second) + " names it too)",
                "list each font once");
        }
      }
      const std::optional<int> number = Decimal(numberValue);
      if (!number || *number == 0 || *number > 65535) {
        Error(kUpdateListFileName, LineOf(section, numberKey),
              numberValue.empty() ? numberKey + " is missing" + stops
                                  : numberKey + "=" + numberValue + " is not a patch number (1 to 65535)" + stops,
              "give the number of the entry's patch in patches/ (2001 for patches/2001.pa)");
        continue;
      }
      const auto [at, fresh] = numbers.emplace(*number, n);
      if (!fresh) {
        Error(kUpdateListFileName, LineOf(section, numberKey),
              numberKey + "=" + numberValue + " is entry " + std::to_string(at->second) + "'s patch too",
              "give each entry its own patch");
        continue;
      }
      CheckPatch(*number, n, LineOf(section, numberKey), stops);
    }
  }

  void CheckPatch(int number, int entry, int line, const std::string& stops) {
    const std::string file = std::string(kPatchFolderName) + "/" + PatchFileName(static_cast<std::uint16_t>(number));
    m_listedPatches.insert(number);
    std::vector<std::uint8_t> bytes;
    std::string readError;
    const InputRead read =
        m_patchFiles.count(number) == 0 ? InputRead::kUnreadable : ReadInputFile(Path(file), bytes, readError);
    if (read == InputRead::kTooLarge) {
      Error(file, 0,
            "is larger than the tools read (" + std::to_string(kLargestFontFile) +
                " bytes at most, the largest font the updater reads): no patch is that large",
            "make the patch again with sabun make or sabun bundle");
      return;
    }
    if (read != InputRead::kRead || bytes.empty()) {
      Error(kUpdateListFileName, line,
            "entry " + std::to_string(entry) + " names " + file + ", which is missing or empty" + stops,
            "put the patch back, or " + std::string(kBundleAgain));
      return;
    }
    std::string fontName;
    std::uint32_t oldRevision = 0;
    if (!CMakeSabunData::ReadPatchHeaderBytes(bytes, fontName, oldRevision)) {
      Error(file, 0,
            "is not a patch (it does not start with \"VKTP\"); the updater leaves entry " + std::to_string(entry) +
                " out of its search",
            "put the right file back, or " + std::string(kBundleAgain));
      return;
    }
    auto patch = std::make_unique<CMakeSabunData>();
    if (!patch->LoadPatchBytes(bytes)) {
      Error(file, 0,
            "is damaged (" + patch->refusal +
                "): the updater would find the font and then fail, blaming the customer's font "
                "(\"改訂元ファイル(…)の読み込みに失敗しました。\")",
            "make the patch again with sabun make or sabun bundle");
      return;
    }
    ++m_summary.patches;
    if (fontName.empty()) {
      Error(file, 0, "names no font: the search never finds one for it", "make the patch again");
    }
    const std::optional<std::uint32_t> newRevision = NewRevision(*patch);
    if (newRevision && *newRevision < oldRevision) {
      Error(file, 0,
            "revises \"" + fontName + "\" from revision " + FormatRevision(oldRevision) + " to " +
                FormatRevision(*newRevision) + ": the revision goes down (the installed and revised fonts swapped?)",
            "make the patch from the installed font to the revised one, whose head.fontRevision is higher");
    } else if (newRevision && *newRevision == oldRevision) {
      // Only a changed name keeps a revised font from being found again,
      // and the patch does not say whether it changed.
      Warning(file, 0,
              "keeps \"" + fontName + "\" at revision " + FormatRevision(oldRevision) +
                  ": unless its name changed, the updater would revise a revised font again",
              "raise head.fontRevision in the revised font");
    }
  }

  void CheckStartDialog() {
    const IniSection* section = FindSection(m_sections, kStartSection);
    const std::string noLines = "the start dialog shows no font lines";
    if (section == nullptr) {
      Error(kUpdateListFileName, 0, std::string("has no [") + kStartSection + "] section: " + noLines, kBundleAgain);
      return;
    }
    const std::string title = Value(kStartSection, "MAIN_TEXTTITLE", kTitleBuffer);
    if (title.empty()) {
      Error(kUpdateListFileName, section->line, "MAIN_TEXTTITLE is missing or empty: " + noLines,
            "give it a title, such as \"下記" + std::to_string(m_summary.fonts) + "フォントが改訂対象です。\"");
    } else if (std::string utf8; DecodeCp932(title, utf8)) {
      const std::optional<int> stated = StatedFontCount(utf8);
      if (stated && m_summary.fonts > 0 && *stated != m_summary.fonts) {
        Error(kUpdateListFileName, LineOf(section, "MAIN_TEXTTITLE"),
              "MAIN_TEXTTITLE says " + std::to_string(*stated) + " fonts, the list has " +
                  std::to_string(m_summary.fonts),
              "write " + std::to_string(m_summary.fonts) +
                  " in the title (sabun bundle fills in the count when "
                  "--title is left out)");
      }
    }
    const std::string maxText = Value(kStartSection, "MAXNUM");
    const std::optional<int> lines = Decimal(maxText);
    if (!lines || *lines == 0) {
      Error(kUpdateListFileName, LineOf(section, "MAXNUM"),
            "[" + std::string(kStartSection) + "] MAXNUM is missing or not a number: " + noLines,
            "set it to the number of FONT_TEXTTITLE lines");
    }
    for (const IniKey& key : section->keys) {
      const std::string upper = Upper(key.name);
      const int n = KeyNumber(key.name, "FONT_TEXTTITLE");
      if (n > 0 && lines && n > *lines) {
        Error(kUpdateListFileName, key.line,
              key.name + " is beyond MAXNUM=" + std::to_string(*lines) + ": the start dialog does not show it",
              "set MAXNUM to the number of lines");
      } else if (n == 0 && upper != "MAXNUM" && upper != "MAIN_TEXTTITLE") {
        Error(kUpdateListFileName, key.line, "\"" + key.name + "\" is not a key the updater reads",
              "the keys are MAIN_TEXTTITLE, MAXNUM and FONT_TEXTTITLEn; correct its name");
      }
    }
  }

  void CheckUnlistedPatches() {
    for (const auto& [number, name] : m_patchFiles) {
      if (m_listRead && m_listedPatches.count(number) == 0) {
        Warning(std::string(kPatchFolderName) + "/" + name, 0, "is in no entry of update.ini: it is carried unused",
                "list it in update.ini or remove it");
      }
    }
  }

  // One five-digit name a line; the updater leaves anything else out.
  void CheckDownloadNames() {
    std::vector<std::uint8_t> bytes;
    std::string readError;
    const InputRead read = ReadInputFile(Path(kDownloadNamesFileName), bytes, readError);
    if (read == InputRead::kTooLarge) {
      Error(kDownloadNamesFileName, 0,
            "is larger than the tools read (" + std::to_string(kLargestFontFile) +
                " bytes at most, the largest font the updater reads)",
            kBundleAgain);
      return;
    }
    if (read != InputRead::kRead) return;
    std::map<std::string, int> seen;
    for (const auto& [number, raw] : NumberedLines(std::string(bytes.begin(), bytes.end()))) {
      std::string name = raw;
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
      if (name.empty()) continue;
      if (name.size() != 5 || name.find_first_not_of("0123456789") != std::string::npos) {
        Error(kDownloadNamesFileName, number,
              "\"" + name + "\" is not a download name (five digits alone on the line); the updater leaves it out",
              "write one five-digit name a line, nothing else");
        continue;
      }
      const auto [at, fresh] = seen.emplace(name, number);
      if (!fresh) {
        Error(kDownloadNamesFileName, number,
              name + " is listed again (first on line " + std::to_string(at->second) + ")", "list each name once");
        continue;
      }
      ++m_summary.downloadNames;
    }
  }

  std::string m_folder;
  CheckSummary& m_summary;
  platform::IniText m_ini;
  std::vector<IniSection> m_sections;
  std::map<int, std::string> m_patchFiles;
  std::set<int> m_listedPatches;
  bool m_listRead = false;
  std::vector<CheckProblem> m_problems;
};

}  // namespace

std::vector<CheckProblem> CheckUpdateData(const std::string& folder, CheckSummary& summary) {
  summary = {};
  return CFolderCheck(folder, summary).Run();
}

std::string FormatRevision(std::uint32_t revision) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.3f", std::round(revision / 65.536) / 1000.0);
  return text;
}

std::string FormatProblem(const std::string& folder, const CheckProblem& problem) {
  std::string where = problem.file.empty() ? folder : (fs::path(folder) / problem.file).string();
  if (problem.line > 0) where += ":" + std::to_string(problem.line);
  return where + ": " + (problem.warning ? "warning: " : "error: ") + problem.what + "; " + problem.fix;
}

}  // namespace authoring
