// The font search: finds on the fixed drives the installed font files that
// the update list names and that match their patches, and collects the
// maker's downloaded copies of the fonts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ReachedFiles.h"

// Shows one line of the search's progress in the wait window; a non-zero
// answer stops the search.
using SearchCallback = int (*)(const char* text, void* window);

// One update list entry whose patch header could be read.
struct SearchCandidate {
  std::string fontFileName;  // the entry's fontFileName
  std::string fontName;      // the patch's fontName up to its first zero
  std::string baseName;      // fontFileName without folder and extension
  std::uint32_t expectedRevision = 0;
  std::int32_t resourceNumber = 0;
};

// One installed font that matched a candidate.
struct FoundFont {
  std::string path;
  std::int32_t skipFlag = 0;
  std::uint32_t expectedRevision = 0;
  // The candidate the font matched. A file whose base name carries the extra
  // characters the match accepts (B_1.otf for B.otf) is not found again by
  // FindCandidateForPath, so the update takes its patch from here.
  std::int32_t resourceNumber = 0;
  // The file the search read: the update reaches this file and no other.
  platform::FileIdentity file;
};

class CFolderCheckCtrl {
 public:
  CFolderCheckCtrl();
  virtual ~CFolderCheckCtrl();
  CFolderCheckCtrl(const CFolderCheckCtrl&) = delete;
  CFolderCheckCtrl& operator=(const CFolderCheckCtrl&) = delete;

  // Builds one candidate per update list entry whose patch header reads, and
  // loads the download names. Always true.
  bool CollectCandidates();

  // EnumerateDrives, then, unless stopped or failed, WalkFixedDrives and
  // PutAdministratorFoldersFirst.
  void SearchFonts(SearchCallback callback, void* window);
  bool EnumerateDrives(SearchCallback callback, void* window);
  bool WalkFixedDrives(SearchCallback callback, void* window);
  // The fonts in folders only administrators can write come first, each
  // group in the order found: the run stops at the first font that fails,
  // so a file a user planted in a folder of theirs can stop only the fonts
  // in users' folders.
  void PutAdministratorFoldersFirst();
  // Lists `folder` (ending with a separator) and the folders below it, down
  // to 8 levels below a drive root. False when stopped.
  bool WalkFolder(const std::string& folder, SearchCallback callback, void* window, int depth);

  // The candidate the file matches by its name and by the font name and
  // revision read from it; `seen` gets the identity of the file read.
  const SearchCandidate* MatchCandidate(const std::string& fullPath, const std::string& fileName,
                                        platform::FileIdentity* seen = nullptr) const;
  // Whether a found font is that very file already (a second path to it).
  bool AlreadyFound(const platform::FileIdentity& file) const;
  const SearchCandidate* FindCandidateForPath(const std::string& path, std::uint32_t expectedRevision) const;
  const FoundFont* GetFoundFont(std::size_t index) const;

  std::vector<std::string> fixedDrives;
  std::vector<std::unique_ptr<FoundFont>> foundFonts;
  std::vector<std::unique_ptr<SearchCandidate>> candidates;
  std::vector<platform::FileIdentity> downloadCopies;  // each the file the search met
  std::vector<std::string> downloadNames;
  unsigned directoryCount = 0;
};

// The one search of the run: the first call creates it and collects the
// candidates.
CFolderCheckCtrl* GetFolderCheckCtrl();
void DeleteFolderCheckCtrl();

// The search's texts.
namespace search_text {
inline constexpr const char* kDriveSearched = "%sドライブを検索しました。";
inline constexpr const char* kSearching = "%sを検索しています。";
}  // namespace search_text
