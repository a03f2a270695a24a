// sabun update --data DIR FONT...: revises installed fonts as the updater
// does, without the dialogs: each font is matched with its patch by the
// search's rules and revised by UpdateFont (temporary file, replacement in
// one step, verification). One line a font: the path, the result code and
// its message. The exit status is the first non-zero code.
//
// --pauses FONT,REPORT (not in the help) waits as the updater's dialogs do,
// FONT milliseconds after each font and REPORT at each progress report: the
// same file work, paced as the updater paces it, for comparing the two.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/StringTable.h"
#include "engine/OpenTypeManager.h"
#include "font/ResultCode.h"
#include "platform/ImageBuffer.h"
#include "platform/Runtime.h"
#include "platform/Text.h"
#include "search/FolderCheckCtrl.h"
#include "tools/sabun/Commands.h"
#include "tools/sabun/UpdateDataSource.h"

namespace {

struct UpdateOptions {
  std::string dataFolder;
  std::vector<std::string> fonts;
  std::vector<unsigned> pauses{0, 0};
};

// The progress of one run, drawn on standard error when it is a terminal.
struct ProgressBar {
  bool draw = false;
  unsigned pausePerReport = 0;
};

int DrawProgress(int overall, int step, const char*, const char* line2, void* window) {
  const auto* bar = static_cast<ProgressBar*>(window);
  if (bar->pausePerReport != 0) platform::SleepMilliseconds(bar->pausePerReport);
  if (!bar->draw) return 0;
  constexpr int kWidth = 30;
  const int filled = overall * kWidth / 100;
  std::fprintf(stderr, "\r\033[K[%s%s] %3d%% %3d%% %s", std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), overall, step,
               platform::EscapeForTerminal(line2).c_str());
  return 0;
}

std::string ResultMessage(int code, const std::string& path) {
  if (code == result_code::kRevised) return "改訂しました (revised and verified)";
  return FormatText(LoadProgramString(EndMessageId(code)), path);
}

// `path` with its folder resolved to the folder's real path.
std::string RealFolderPath(const std::string& path) {
  const std::filesystem::path given(path);
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::weakly_canonical(
      given.has_parent_path() ? given.parent_path() : std::filesystem::path("."), error);
  return error ? path : (folder / given.filename()).string();
}

int RunUpdateCommand(const UpdateOptions& options) {
  CUpdateDataSource data(options.dataFolder);
  if (!data.Loaded()) {
    std::fprintf(stderr, "sabun update: %s\n", data.Error().c_str());
    return 2;
  }
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  // The fonts are matched first, as the search matches them before a run,
  // and a file named twice (or reached by two paths) is revised once.
  std::vector<const FoundFont*> fonts;
  std::vector<bool> again;
  for (const std::string& given : options.fonts) {
    // The update reaches a font's folder without following any link, as
    // the updater does; the folder named here is taken as its real path
    // (the font file itself must still be no link).
    const std::string path = RealFolderPath(given);
    const platform::SplitPathParts parts = platform::SplitPath(path);
    platform::FileIdentity seen;
    const SearchCandidate* candidate = search->MatchCandidate(path, parts.baseName + parts.extension, &seen);
    again.push_back(candidate != nullptr && search->AlreadyFound(seen));
    if (candidate == nullptr || again.back()) {
      fonts.push_back(nullptr);
      continue;
    }
    auto found = std::make_unique<FoundFont>();
    found->path = path;
    found->expectedRevision = candidate->expectedRevision;
    found->resourceNumber = candidate->resourceNumber;
    found->file = seen;
    fonts.push_back(found.get());
    search->foundFonts.push_back(std::move(found));
  }
  ProgressBar bar{::isatty(STDERR_FILENO) != 0, options.pauses[1]};
  int status = 0;
  const int count = static_cast<int>(fonts.size());
  for (int i = 0; i < count; ++i) {
    // Paths as given; on a terminal their control characters are escaped.
    const std::string path = ForOutput(options.fonts[static_cast<std::size_t>(i)]);
    int code = 1;
    if (again[static_cast<std::size_t>(i)]) {
      std::printf("%s\t-\tthe same file as a font named before it; revised once\n", path.c_str());
      code = 0;
    } else if (fonts[static_cast<std::size_t>(i)] == nullptr) {
      std::printf(
          "%s\t1\tthe update data has no patch for this font (its file name, name or revision do not "
          "match)\n",
          path.c_str());
    } else {
      COpenTypeManager manager;
      code = manager.UpdateFont(fonts[static_cast<std::size_t>(i)]->path,
                                fonts[static_cast<std::size_t>(i)]->expectedRevision, DrawProgress, &bar, count, i);
      if (bar.draw) std::fprintf(stderr, "\r\033[K");
      std::printf("%s\t%d\t%s\n", path.c_str(), code, ResultMessage(code, path).c_str());
    }
    std::fflush(stdout);
    if (options.pauses[0] != 0) platform::SleepMilliseconds(options.pauses[0]);
    if (status == 0) status = code;
  }
  // The fonts reused the blocks of the images before them; the run is over.
  platform::ReleaseKeptBlocks();
  return status;
}

}  // namespace

void AddUpdateCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "update",
      "revise installed fonts as the updater does (the update data's patches, replacement in one step, "
      "verification); exits with the first non-zero result code");
  auto options = std::make_shared<UpdateOptions>();
  command->add_option("--data", options->dataFolder, "the update data folder (sabun bundle's output)")->required();
  command->add_option("FONT", options->fonts, "installed font files")->required();
  command->add_option("--pauses", options->pauses)
      ->expected(2)
      ->delimiter(',')
      ->check(CLI::Range(0u, 10000u))
      ->group("");
  SetCommandAction(command, [options]() { return RunUpdateCommand(*options); });
}
