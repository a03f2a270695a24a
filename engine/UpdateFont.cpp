// Revising one installed font: read it, build the revised font into the
// temporary folder, put it in the installed file's place in one step and
// verify it there.
#include <span>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "font/ResultCode.h"
#include "platform/Files.h"
#include "platform/ReachedFiles.h"
#include "platform/Runtime.h"
#include "platform/TempFiles.h"
#include "search/FolderCheckCtrl.h"

namespace {

// The search's record of the font at `fontPath`, when the search found it.
const FoundFont* FindFoundFont(const std::string& fontPath, std::uint32_t expectedRevision) {
  for (const auto& found : GetFolderCheckCtrl()->foundFonts) {
    if (found->path == fontPath && found->expectedRevision == expectedRevision) return found.get();
  }
  return nullptr;
}

// The candidate of a found font, and so its patch: the one the search
// matched it with by its font name and revision (also for a file named
// B_1.otf for B.otf), else its candidate by file name and revision. The
// search's match comes first: two list entries may share a file name and a
// revision and differ only in the font name, and the lookup by file name
// would then hand this font the other font's patch.
const SearchCandidate* FindCandidate(const FoundFont* found, const std::string& fontPath,
                                     std::uint32_t expectedRevision) {
  const CFolderCheckCtrl* search = GetFolderCheckCtrl();
  if (found != nullptr && found->resourceNumber != 0) {
    for (const auto& candidate : search->candidates) {
      if (candidate->resourceNumber == found->resourceNumber && candidate->expectedRevision == expectedRevision) {
        return candidate.get();
      }
    }
  }
  return search->FindCandidateForPath(fontPath, expectedRevision);
}

}  // namespace

bool COpenTypeManager::CarriesIdentityOf(const SearchCandidate& candidate) const {
  std::uint32_t revision = 0;
  std::string name;
  return FindIdentity(revision, name) && revision == candidate.expectedRevision && name == candidate.fontName;
}

// The revised font waits beside the installed one, which Windows holds: it
// is verified there as a replaced font is, then its replacement is left to
// the restart. Whatever fails, it does not stay, and the installed font is
// untouched.
int COpenTypeManager::ScheduleForRestart(const platform::FileIdentity& waiting, const platform::FileIdentity& installed,
                                         std::span<const std::uint8_t> revised) {
  int result = VerifyFontFile(waiting, expectedFileSum, revised);
  if (result == 0 && !platform::ReplaceAtRestart(waiting, installed)) result = result_code::kReplaceFailed;
  if (result != 0) {
    platform::RemoveReachedFile(waiting);
    return result;
  }
  replacedAtRestart = true;
  return result_code::kRevised;
}

int COpenTypeManager::UpdateFont(const std::string& fontPath, std::uint32_t expectedRevision, ProgressCallback progress,
                                 void* window, int fontCount, int fontIndex) {
  newRevision = 0;
  replacedAtRestart = false;
  // A font the search found is read only as the file the search read.
  const FoundFont* found = FindFoundFont(fontPath, expectedRevision);
  const int read = found != nullptr && found->file.known
                       ? ReadFontFile(found->file, progress, window, fontCount, fontIndex)
                       : ReadFontFile(fontPath, progress, window, fontCount, fontIndex);
  if (read != 0) {
    COpenTypeFont::ReleaseFont();
    return read == result_code::kStopped ? result_code::kStopped : result_code::kFailed;
  }
  // Without its patch the font cannot be revised, nor when it no longer
  // carries the name and revision the patch revises (a font revised already,
  // reached a second time): it is reported as a font that could not be read,
  // and nothing is written.
  const SearchCandidate* candidate = FindCandidate(found, fontPath, expectedRevision);
  std::string tempPath;
  if (candidate == nullptr || !CarriesIdentityOf(*candidate) || !platform::FindFreshTempPath("", tempPath)) {
    COpenTypeFont::ReleaseFont();
    return result_code::kFailed;
  }
  const auto patchNumber = static_cast<std::uint16_t>(candidate->resourceNumber);

  int result = result_code::kRevised;
  const int built = BuildNewFont(fontPath, patchNumber, tempPath, progress, window, fontCount, fontIndex);
  if (built != 0) {
    // A temporary file that cannot be written (a full or refusing temporary
    // folder) is a failure to write, not to read: its message says so.
    result = built == result_code::kStopped || built == result_code::kCannotWrite ? built : result_code::kFailed;
  } else {
    // Every step from here works on the file that was read, in the folder
    // it was read from: a link swapped in meanwhile sends nothing elsewhere.
    // A run killed while a font was put in place leaves a file beside it.
    // The revised font goes in place from the image built in memory, never
    // from the temporary file read back by its path: the temporary folder
    // may lie in a folder another user can rename things in.
    const std::span<const std::uint8_t> revised(newImage.data(), newFontSize);
    platform::FileIdentity installed = file;
    platform::RemoveReplacementLeftovers(installed);
    platform::FileIdentity waiting;
    if (!platform::ReplaceReachedFile(installed, revised.data(), revised.size(), &waiting)) {
      if (waiting.known) {
        result = ScheduleForRestart(waiting, installed, revised);
      } else {
        // The installed font is untouched: the replacement is one step. A
        // font that is no longer the file read (its folder or itself swapped
        // meanwhile) is a font that cannot be read, as at the start.
        result = platform::IsStillReached(file) ? result_code::kReplaceFailed : result_code::kFailed;
      }
    } else {
      // The copy has happened: a stop asked for here changes nothing.
      ReportStep(progress, window, OverallPercentFloat(fontIndex, fontCount, 100), 100, fontPath,
                 progress_text::kCopying);
      result = VerifyFontFile(installed, expectedFileSum, revised);
      if (result != 0) {
        // A revised font that cannot be read back, or reads back wrong, does
        // not stay: the installed font, still in memory, goes back the same way.
        const std::span<const std::uint8_t> old = Image();
        platform::ReplaceReachedFile(installed, old.data(), old.size());
      }
    }
  }
  if (tempFileWritten) platform::RemoveFile(tempPath);
  COpenTypeFont::ReleaseFont();
  return result;
}
