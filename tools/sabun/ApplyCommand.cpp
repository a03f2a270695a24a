// sabun apply OLD PATCH -o OUT: revises a font file with a patch file by the
// updater's own code: the font is read with ReadFontFile, and
// BuildNewFontFromBytes loads the patch file's bytes as the updater loads its
// embedded patch and writes the revised font. It is written under a fresh name
// beside OUT and renamed to OUT only when it was built whole, so a failed run
// leaves no partial OUT; an existing OUT is replaced only with --force.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "font/ResultCode.h"
#include "patch/MakeSabunData.h"
#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/TempFiles.h"
#include "tools/authoring/InputFile.h"
#include "tools/sabun/Commands.h"

namespace {

struct ApplyOptions {
  std::string oldPath;
  std::string patchPath;
  std::string outPath;
  bool force = false;
  bool progress = false;
};

// The window handed to the update: the reports need one to be made at all.
struct ProgressWindow {
  bool print = false;
};

int PrintProgress(int overall, int step, const char* /*line1*/, const char* line2, void* window) {
  if (static_cast<ProgressWindow*>(window)->print) std::fprintf(stderr, "[%3d%%] %3d %s\n", overall, step, line2);
  return 0;
}

std::string BuildFailure(int result) {
  switch (result) {
    case result_code::kFailed:
      return "the patch does not fit this font (a table it names is missing, its table count, directory slots or "
             "layout do not match the font, or a segment reaches outside a table)";
    case result_code::kStopped:
      return "stopped";
    case result_code::kPatchUnreadable:
      return "the patch cannot be loaded (run sabun info on it for the reason)";
    case result_code::kNoHeadTable:
      return "the revised font has no head table";
    case result_code::kCannotWrite:
      return "the revised font cannot be written beside the output";
    default:
      return "build failed with code " + std::to_string(result);
  }
}

// Says so when the updater's search would not pair this font with this patch.
void NoteIdentity(const COpenTypeManager& font, const std::vector<std::uint8_t>& patch) {
  std::string patchName;
  std::uint32_t patchRevision = 0;
  if (!CMakeSabunData::ReadPatchHeaderBytes(patch, patchName, patchRevision)) return;
  std::string fontName;
  std::uint32_t fontRevision = 0;
  const bool found = font.FindIdentity(fontRevision, fontName);
  if (found && fontName == patchName && fontRevision == patchRevision) return;
  char fontText[80] = "no name or revision";
  if (found) std::snprintf(fontText, sizeof fontText, "revision 0x%08X", fontRevision);
  std::fprintf(stderr,
               "sabun apply: note: the patch is for \"%s\" revision 0x%08X, the font is \"%s\" %s; the updater "
               "would not revise this font with it\n",
               patchName.c_str(), patchRevision, found ? fontName.c_str() : "", fontText);
}

int RunApplyCommand(const ApplyOptions& options) {
  std::vector<std::uint8_t> patch;
  std::string readError;
  if (authoring::ReadInputFile(options.patchPath, patch, readError) != authoring::InputRead::kRead) {
    std::fprintf(stderr, "sabun apply: %s\n", readError.c_str());
    return result_code::kPatchUnreadable;
  }
  if (!options.force && platform::FileExists(options.outPath)) {
    std::fprintf(stderr, "sabun apply: %s exists (--force replaces it)\n", options.outPath.c_str());
    return result_code::kCannotWrite;
  }
  ProgressWindow window{options.progress};
  auto manager = std::make_unique<COpenTypeManager>();
  const int read = manager->ReadFontFile(options.oldPath, PrintProgress, &window, 1, 0);
  if (read != 0) {
    std::fprintf(stderr,
                 "sabun apply: %s is not a font the updater reads (it cannot be read, is not an 'OTTO' font, has a "
                 "table outside the known set, or a table lies outside the file)\n",
                 options.oldPath.c_str());
    return read;
  }
  NoteIdentity(*manager, patch);

  std::string temp;
  if (!platform::FindFreshPath(options.outPath + ".sabun-", ".tmp", temp)) {
    std::fprintf(stderr, "sabun apply: no free name beside %s\n", options.outPath.c_str());
    return result_code::kCannotWrite;
  }
  const int result = manager->BuildNewFontFromBytes(options.oldPath, patch, temp, PrintProgress, &window, 1, 0);
  if (result != result_code::kDone) {
    // Only a file the build wrote is ours to remove (11: the name was taken).
    if (manager->tempFileWritten) platform::RemoveFile(temp);
    if (result == result_code::kPatchUnreadable && manager->patch && !manager->patch->refusal.empty()) {
      std::fprintf(stderr, "sabun apply: the patch %s cannot be loaded: %s\n", options.patchPath.c_str(),
                   manager->patch->refusal.c_str());
    } else {
      std::fprintf(stderr, "sabun apply: %s\n", BuildFailure(result).c_str());
    }
    return result;
  }
  std::error_code error;
  std::filesystem::rename(temp, options.outPath, error);
  if (error) {
    platform::RemoveFile(temp);
    std::fprintf(stderr, "sabun apply: cannot put the revised font at %s: %s\n", options.outPath.c_str(),
                 error.message().c_str());
    return result_code::kCannotWrite;
  }
  // The same check the updater makes of the copy it put in place.
  const int verified = manager->VerifyFontFile(options.outPath, manager->expectedFileSum);
  if (verified == result_code::kRereadFailed)
    std::fprintf(stderr, "sabun apply: cannot read %s back\n", options.outPath.c_str());
  if (verified == result_code::kVerifyMismatch)
    std::fprintf(stderr, "sabun apply: %s does not verify\n", options.outPath.c_str());
  return verified;
}

}  // namespace

void AddApplyCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "apply",
      "revise a font with a patch by the updater's own code; exits with the updater's code (0 revised, 1 font or "
      "patch does not fit, 7 patch unreadable, 9 no head table, 11 output not writable, 12/13 verification)");
  auto options = std::make_shared<ApplyOptions>();
  command->add_option("OLD", options->oldPath, "the installed font file")->required();
  command->add_option("PATCH", options->patchPath, "the patch file")->required();
  command->add_option("-o,--output", options->outPath, "the revised font file")->required();
  command->add_flag("--force", options->force, "replace an existing output file");
  command->add_flag("--progress", options->progress, "print the update's progress reports on stderr");
  SetCommandAction(command, [options]() { return RunApplyCommand(*options); });
}
