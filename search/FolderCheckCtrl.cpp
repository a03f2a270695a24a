// The font search over the fixed drives.
#include "search/FolderCheckCtrl.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "font/OpenTypeFont.h"
#include "font/Progress.h"
#include "patch/MakeSabunData.h"
#include "patch/ResFileCtrl.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/Runtime.h"

namespace {

constexpr int kMaxDepth = 8;
constexpr unsigned kFolderReportInterval = 20;
constexpr std::uint16_t kDownloadNamesResource = 1;

std::unique_ptr<CFolderCheckCtrl>& Instance() {
  static std::unique_ptr<CFolderCheckCtrl> instance;
  return instance;
}

// The two download folders of the maker's download tool, with this
// platform's separator.
std::string DownloadMarker(const char* company) {
  const std::string separator(1, platform::kPathSeparator);
  return separator + company + separator + "Fonts" + separator + "Download" + separator + "add" + separator;
}

// Whether `path` holds `marker` at a byte position greater than 5.
bool HasMarkerPastDrive(const std::string& path, const std::string& marker) {
  const std::size_t at = path.find(marker);
  return at != std::string::npos && at > 5;
}

bool IsDotFolder(const std::string& name) { return name == "." || name == ".."; }

// The download names: one five-digit decimal name a line; anything else
// cannot be one and is left out.
std::vector<std::string> ReadDownloadNames() {
  std::vector<std::string> names;
  platform::ResourceBytes block;
  if (!platform::LoadOwnResource("DLNAMES", kDownloadNamesResource, block)) return names;
  std::string line;
  auto flush = [&] {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.size() == 5 && line.find_first_not_of("0123456789") == std::string::npos) names.push_back(line);
    line.clear();
  };
  for (std::size_t i = 0; i < block.size; ++i) {
    const char c = static_cast<char>(block.data[i]);
    if (c == '\n') {
      flush();
    } else {
      line += c;
    }
  }
  flush();
  return names;
}

}  // namespace

CFolderCheckCtrl* GetFolderCheckCtrl() {
  std::unique_ptr<CFolderCheckCtrl>& instance = Instance();
  if (!instance) {
    instance = std::make_unique<CFolderCheckCtrl>();
    instance->CollectCandidates();
  }
  return instance.get();
}

void DeleteFolderCheckCtrl() { Instance().reset(); }

CFolderCheckCtrl::CFolderCheckCtrl() = default;
CFolderCheckCtrl::~CFolderCheckCtrl() = default;

bool CFolderCheckCtrl::CollectCandidates() {
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  CMakeSabunData probe;
  for (const auto& entry : list->entries) {
    std::string fontName;
    std::uint32_t revision = 0;
    if (!probe.ReadPatchHeader(static_cast<std::uint16_t>(entry->resourceNumber), fontName, revision)) continue;
    auto candidate = std::make_unique<SearchCandidate>();
    candidate->fontFileName = entry->fontFileName;
    candidate->fontName = fontName;
    candidate->baseName = platform::SplitPath(entry->fontFileName).baseName;
    candidate->expectedRevision = revision;
    candidate->resourceNumber = entry->resourceNumber;
    candidates.push_back(std::move(candidate));
  }
  downloadNames = ReadDownloadNames();
  // Every patch has been looked at; only one at a time is needed later.
  platform::SetAsideOwnResources();
  return true;
}

void CFolderCheckCtrl::SearchFonts(SearchCallback callback, void* window) {
  if (EnumerateDrives(callback, window) && WalkFixedDrives(callback, window)) PutAdministratorFoldersFirst();
}

void CFolderCheckCtrl::PutAdministratorFoldersFirst() {
  // Each folder is asked once: its answer walks up to the root.
  std::vector<std::pair<std::string, bool>> asked;
  const auto administratorsOnly = [&asked](const std::unique_ptr<FoundFont>& found) {
    for (const auto& [folder, answer] : asked) {
      if (folder == found->file.folder) return answer;
    }
    const bool answer = platform::OnlyAdministratorsWrite(found->file);
    asked.emplace_back(found->file.folder, answer);
    return answer;
  };
  std::stable_partition(foundFonts.begin(), foundFonts.end(), administratorsOnly);
}

bool CFolderCheckCtrl::EnumerateDrives(SearchCallback callback, void* window) {
  std::vector<platform::Drive> drives;
  if (!platform::ListLogicalDrives(drives)) return false;
  for (const platform::Drive& drive : drives) {
    if (drive.type == platform::kDriveFixed) fixedDrives.push_back(drive.root);
    const std::string text = FormatText(search_text::kDriveSearched, drive.root);
    if (callback != nullptr && callback(text.c_str(), window) != 0) return false;
  }
  return true;
}

bool CFolderCheckCtrl::WalkFixedDrives(SearchCallback callback, void* window) {
  for (const std::string& root : fixedDrives) {
    if (!WalkFolder(root, callback, window, 0)) return false;
  }
  return true;
}

bool CFolderCheckCtrl::WalkFolder(const std::string& folder, SearchCallback callback, void* window, int depth) {
  if (depth + 1 > kMaxDepth) return true;
  platform::FolderListing listing(folder);
  if (!listing.IsOpen()) return true;
  const std::string firstMarker = DownloadMarker("Veldmark");
  const std::string secondMarker = DownloadMarker("Quillory");
  platform::FolderEntry entry;
  while (listing.Next(entry)) {
    const bool isFolder = (entry.attributes & platform::kAttributeFolder) != 0;
    if (isFolder) {
      if (IsDotFolder(entry.name)) continue;
      const std::string subFolder = folder + entry.name + platform::kPathSeparator;
      ++directoryCount;
      if (directoryCount % kFolderReportInterval == 0 && callback != nullptr) {
        const std::string text = FormatText(search_text::kSearching, subFolder);
        if (callback(text.c_str(), window) != 0) return false;
      }
      if (!WalkFolder(subFolder, callback, window, depth + 1)) return false;
      continue;
    }
    // Only the files that could be a font or a download copy are asked
    // whether they are read-only (read-only files are passed over).
    const bool mayBeFont = entry.name.find(".otf") != std::string::npos;
    const bool mayBeDownload = std::find(downloadNames.begin(), downloadNames.end(), entry.name) != downloadNames.end();
    if (!(mayBeFont || mayBeDownload) || listing.IsReadOnly(entry)) continue;
    const std::string fullPath = folder + entry.name;
    if (mayBeFont) {
      platform::FileIdentity seen;
      const SearchCandidate* candidate = MatchCandidate(fullPath, entry.name, &seen);
      // A font reached by a second path (a bind mount, a junction) is listed
      // once: revised twice, its patch would be applied to its revision.
      if (candidate != nullptr && !AlreadyFound(seen)) {
        auto found = std::make_unique<FoundFont>();
        found->file = seen;
        found->path = fullPath;
        found->skipFlag = 0;
        found->expectedRevision = candidate->expectedRevision;
        found->resourceNumber = candidate->resourceNumber;
        foundFonts.push_back(std::move(found));
      }
    }
    if (mayBeDownload && (HasMarkerPastDrive(fullPath, firstMarker) || HasMarkerPastDrive(fullPath, secondMarker))) {
      // Deleted after the run only if it is still this very file.
      platform::FileReader copy;
      if (copy.Open(fullPath)) downloadCopies.push_back(copy.Identity());
    }
  }
  return true;
}

const SearchCandidate* CFolderCheckCtrl::MatchCandidate(const std::string& fullPath, const std::string& fileName,
                                                        platform::FileIdentity* seen) const {
  const platform::SplitPathParts parts = platform::SplitPath(fileName);
  if (parts.extension != ".otf") return nullptr;
  const std::string& base = parts.baseName;
  // The file is read once, when the first candidate's name fits.
  bool read = false;
  bool readable = false;
  std::uint32_t revision = 0;
  std::string name;
  for (const auto& candidate : candidates) {
    const std::size_t n = candidate->baseName.size();
    const std::size_t len = base.size();
    if (len < n || base.find(candidate->baseName) == std::string::npos) continue;
    const std::size_t extra = len - n;
    if (extra != 0 && extra != 2 && extra != 3) continue;
    if (base.compare(0, n, candidate->baseName) != 0) continue;
    if (!read) {
      COpenTypeFont font;
      readable = font.ReadFontIdentity(fullPath, revision, name, seen);
      read = true;
    }
    if (readable && revision == candidate->expectedRevision && name == candidate->fontName) return candidate.get();
  }
  return nullptr;
}

bool CFolderCheckCtrl::AlreadyFound(const platform::FileIdentity& file) const {
  return std::any_of(foundFonts.begin(), foundFonts.end(),
                     [&](const std::unique_ptr<FoundFont>& found) { return found->file.SameFileAs(file); });
}

const SearchCandidate* CFolderCheckCtrl::FindCandidateForPath(const std::string& path,
                                                              std::uint32_t expectedRevision) const {
  const platform::SplitPathParts whole = platform::SplitPath(path);
  const platform::SplitPathParts parts = platform::SplitPath(whole.baseName + whole.extension);
  if (parts.extension != ".otf") return nullptr;
  for (const auto& candidate : candidates) {
    if (candidate->baseName == parts.baseName && candidate->expectedRevision == expectedRevision) {
      return candidate.get();
    }
  }
  return nullptr;
}

const FoundFont* CFolderCheckCtrl::GetFoundFont(std::size_t index) const {
  return index < foundFonts.size() ? foundFonts[index].get() : nullptr;
}
