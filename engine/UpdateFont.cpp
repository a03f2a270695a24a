// Revising one installed font: read it, build the revised font into the
// temporary folder, put it in the installed file's place in one step and
// verify it there.
#include <span>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "font/ResultCode.h"
#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/TempFiles.h"
#include "search/FolderCheckCtrl.h"

namespace {

// The patch of a found font: the candidate the search matched it with by its
// font name and revision (also for a file named B_1.otf for B.otf), else its
// candidate by file name and revision. The search's match comes first: two
// list entries may share a file name and a revision and differ only in the
// font name, and the lookup by file name would then hand this font the other
// font's patch.
bool FindPatchNumber(const std::string& fontPath, std::uint32_t expectedRevision, std::uint16_t& number) {
  const CFolderCheckCtrl* search = GetFolderCheckCtrl();
  for (const auto& found : search->foundFonts) {
    if (found->path == fontPath && found->expectedRevision == expectedRevision && found->resourceNumber != 0) {
      number = static_cast<std::uint16_t>(found->resourceNumber);
      return true;
    }
  }
  if (const SearchCandidate* candidate = search->FindCandidateForPath(fontPath, expectedRevision)) {
    number = static_cast<std::uint16_t>(candidate->resourceNumber);
    return true;
  }
  return false;
}

}  // namespace

int COpenTypeManager::UpdateFont(const std::string& fontPath, std::uint32_t expectedRevision, ProgressCallback progress,
                                 void* window, int fontCount, int fontIndex) {
  const int read = ReadFontFile(fontPath, progress, window, fontCount, fontIndex);
  if (read != 0) {
    COpenTypeFont::ReleaseFont();
    return read == result_code::kStopped ? result_code::kStopped : result_code::kFailed;
  }
  // Without its patch the font cannot be revised; it is reported as a font
  // that could not be read, and nothing is written.
  std::uint16_t patchNumber = 0;
  std::string tempPath;
  if (!FindPatchNumber(fontPath, expectedRevision, patchNumber) || !platform::FindFreshTempPath("", tempPath)) {
    COpenTypeFont::ReleaseFont();
    return result_code::kFailed;
  }

  int result = result_code::kRevised;
  const int built = BuildNewFont(fontPath, patchNumber, tempPath, progress, window, fontCount, fontIndex);
  if (built != 0) {
    result = built == result_code::kStopped ? result_code::kStopped : result_code::kFailed;
  } else {
    // A run killed while a font was put in place leaves a file beside it.
    platform::RemoveReplacementLeftovers(fontPath);
    if (!platform::ReplaceFileFrom(tempPath, fontPath)) {
      // The installed font is untouched: the replacement is one step.
      result = result_code::kReplaceFailed;
    } else {
      // The copy has happened: a stop asked for here changes nothing.
      ReportStep(progress, window, OverallPercentFloat(fontIndex, fontCount, 100), 100, fontPath,
                 progress_text::kCopying);
      result = VerifyFontFile(fontPath, expectedFileSum);
      if (result != 0) {
        // A revised font that cannot be read back, or reads back wrong, does
        // not stay: the installed font, still in memory, goes back the same way.
        const std::span<const std::uint8_t> old = Image();
        platform::ReplaceFileInOneStep(fontPath, old.data(), old.size());
      }
    }
  }
  if (tempFileWritten) platform::RemoveFile(tempPath);
  COpenTypeFont::ReleaseFont();
  return result;
}
