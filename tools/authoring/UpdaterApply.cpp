// The updater's build of one font, run on bytes in memory.
#include "tools/authoring/UpdaterApply.h"

#include "engine/OpenTypeManager.h"
#include "font/ResultCode.h"
#include "platform/Files.h"
#include "platform/TempFiles.h"

namespace authoring {
namespace {

int NoProgress(int, int, const char*, const char*, void*) { return 0; }

// A name in the temporary folder that nothing uses yet; the build creates the
// file itself and refuses an existing one.
std::string FreshTempPath() {
  std::string folder;
  std::string path;
  if (!platform::GetTempFolder(folder) || !platform::FindFreshPath(folder + "sabun-check-", ".otf", path)) return {};
  return path;
}

const char* DescribeBuildResult(int code) {
  switch (code) {
    case result_code::kFailed:
      return "a table named by the patch is missing from the font, or the patch does not fit it";
    case result_code::kStopped:
      return "the build was stopped";
    case result_code::kPatchUnreadable:
      return "the patch cannot be read";
    case result_code::kNoHeadTable:
      return "the revised font has no head table";
    case result_code::kCannotWrite:
      return "the temporary file cannot be created";
    default:
      return "the build failed";
  }
}

}  // namespace

bool ApplyWithUpdater(const std::vector<std::uint8_t>& installed, const std::vector<std::uint8_t>& patch,
                      std::vector<std::uint8_t>& revised, std::string& error) {
  revised.clear();
  COpenTypeManager manager;
  const std::string fontPath = "installed.otf";
  // A window handle only so that the reports are made as in a real run.
  int window = 0;
  if (manager.ReadFontImage(installed, fontPath, NoProgress, &window, 1, 0) != 0) {
    error = "the updater cannot load the installed font";
    return false;
  }
  const std::string tempPath = FreshTempPath();
  if (tempPath.empty()) {
    error = "no temporary folder to build the revised font in";
    return false;
  }
  const int built = manager.BuildNewFontFromBytes(fontPath, patch, tempPath, NoProgress, &window, 1, 0);
  if (built != 0) {
    // Only a file the build wrote is ours to remove (11: the name was taken).
    if (manager.tempFileWritten) platform::RemoveFile(tempPath);
    error = std::string("the updater cannot build the revised font: ") + DescribeBuildResult(built) + " (code " +
            std::to_string(built) + ")";
    return false;
  }
  const bool read = platform::ReadWholeFile(tempPath, revised);
  platform::RemoveFile(tempPath);
  if (!read) {
    error = "the revised font the updater wrote cannot be read back";
    return false;
  }
  return true;
}

}  // namespace authoring
