// Loading the update list from the program's own INI text.
#include "patch/ResFileCtrl.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Resources.h"
#include "platform/Runtime.h"
#include "platform/TempFiles.h"

namespace {

constexpr const char* kListSection = "UPDATE_FONT";
constexpr const char* kStartSection = "UPDATE_STARTDLG_STRING";
constexpr std::size_t kValueBuffer = 255;        // values of at most 254 characters
constexpr std::size_t kTitleBuffer = 1024;       // MAIN_TEXTTITLE: at most 1,023 characters
constexpr std::size_t kFontFileNameLimit = 255;  // "%s.otf" into its buffer

std::unique_ptr<CResFileCtrl>& Instance() {
  static std::unique_ptr<CResFileCtrl> instance;
  return instance;
}

// The decimal value of the leading digits (after blanks and a sign), 0 when
// there are none; values beyond the range of an int stop at its ends.
std::int32_t DecimalValue(const std::string& text) {
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<std::int32_t>(value);
}

std::string Key(const char* stem, long long n) { return stem + std::to_string(n); }

// The n of a key name that Key(stem, n) would give for some n from 1 to
// `last` (the names compared without regard to ASCII case), else 0.
std::int32_t KeyNumber(const std::string& name, const char* stem, std::int32_t last) {
  const std::size_t stemLength = std::strlen(stem);
  if (name.size() <= stemLength || name.size() > stemLength + 10 || name[stemLength] == '0') return 0;
  for (std::size_t i = 0; i < stemLength; ++i) {
    const char c = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
    if (c != stem[i]) return 0;
  }
  long long n = 0;
  for (std::size_t i = stemLength; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    n = n * 10 + (name[i] - '0');
  }
  return n <= last ? static_cast<std::int32_t>(n) : 0;
}

}  // namespace

CResFileCtrl::~CResFileCtrl() { ClearUpdateList(); }

CResFileCtrl* CResFileCtrl::GetUpdateList() {
  std::unique_ptr<CResFileCtrl>& instance = Instance();
  if (!instance) {
    instance = std::make_unique<CResFileCtrl>();
    instance->ClearUpdateList();
    instance->LoadUpdateList();
  }
  return instance.get();
}

void CResFileCtrl::ReleaseUpdateList() {
  std::unique_ptr<CResFileCtrl>& instance = Instance();
  if (!instance) return;
  instance->ClearUpdateList();
  instance.reset();
}

void CResFileCtrl::LoadUpdateList() {
  // A second load must not leave the first file behind or mix two lists.
  ClearUpdateList();
  maxNum = 0;
  count = 0;
  platform::ResourceBytes text;
  if (!platform::LoadOwnResource("INIFILE", 2000, text)) return;
  // A fresh file under a new name: the program runs as administrator, so it
  // never writes into a file or a link that already stands in the folder.
  std::string path;
  if (!platform::CreateTempFile(".ini", text.data, text.size, path)) return;
  iniPath = path;
  if (!iniText.Load(iniPath)) return;

  const std::string maxText = iniText.String(kListSection, "MAXNUM", "", kValueBuffer);
  if (maxText.empty()) return;
  maxNum = DecimalValue(maxText);
  if (maxNum <= 0) return;

  for (long long n = 1;; ++n) {
    const std::string patchFile = iniText.String(kListSection, Key("FONT_PAFILE", n).c_str(), "", kValueBuffer);
    if (patchFile.empty()) return;
    std::string fontFileName = platform::SplitPath(patchFile).baseName + ".otf";
    if (fontFileName.size() > kFontFileNameLimit) fontFileName.resize(kFontFileNameLimit);
    const int resourceNumber = iniText.Int(kListSection, Key("FONT_RESNUM", n).c_str(), -1);
    if (resourceNumber == 0) return;
    platform::ResourceBytes patch;
    if (!platform::LoadOwnResource("FONT_PA", static_cast<std::uint16_t>(resourceNumber & 0xFFFF), patch)) return;
    auto entry = std::make_unique<UpdateListEntry>();
    entry->fontFileName = std::move(fontFileName);
    entry->resourceNumber = resourceNumber;
    entries.push_back(std::move(entry));
    ++count;
    if (n >= maxNum) return;
  }
}

void CResFileCtrl::ClearUpdateList() {
  if (!iniPath.empty()) {
    platform::RemoveFile(iniPath);
    iniPath.clear();
  }
  iniText.Clear();
  entries.clear();
}

void CResFileCtrl::ReadStartDialogLines() {
  fontTexts.clear();
  mainTextTitle.clear();
  if (iniPath.empty()) return;
  mainTextTitle = iniText.String(kStartSection, "MAIN_TEXTTITLE", "", kTitleBuffer);
  if (mainTextTitle.empty()) return;
  const std::string maxText = iniText.String(kStartSection, "MAXNUM", "", kValueBuffer);
  if (maxText.empty()) return;
  const std::int32_t lines = DecimalValue(maxText);
  // Lines 1 to MAXNUM in their order; only the numbers that have a key are
  // read, so that a huge MAXNUM costs nothing.
  std::vector<std::int32_t> numbers;
  for (const std::string& name : iniText.KeyNames(kStartSection)) {
    const std::int32_t n = KeyNumber(name, "FONT_TEXTTITLE", lines);
    if (n > 0) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  for (const std::int32_t i : numbers) {
    std::string line = iniText.String(kStartSection, Key("FONT_TEXTTITLE", i).c_str(), "", kValueBuffer);
    if (!line.empty()) fontTexts.push_back(std::move(line));
  }
}
