// sabun bundle PAIRS -o DIR: an update data folder (update.ini, the patches
// 2001 onwards, download-names.txt) from a folder of font pairs or a
// manifest, ready for `cmake -DUPDATE_DATA=DIR`.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "tools/authoring/UpdateBundle.h"
#include "tools/sabun/Commands.h"

namespace {

struct BundleArguments {
  std::string input;
  std::string outFolder;
  std::string downloadNamesPath;
  std::string title;
  unsigned jobs = 0;
};

int RunBundleCommand(const BundleArguments& arguments) {
  authoring::BundleInput input;
  input.title = arguments.title;
  input.jobs = arguments.jobs;
  std::string error;
  std::error_code failed;
  const bool folder = std::filesystem::is_directory(arguments.input, failed);
  const bool read = folder ? authoring::ReadPairFolder(arguments.input, input.fonts, error)
                           : authoring::ReadManifest(arguments.input, input.fonts, error);
  if (!read || (!arguments.downloadNamesPath.empty() &&
                !authoring::ReadDownloadNames(arguments.downloadNamesPath, input.downloadNames, error))) {
    std::fprintf(stderr, "sabun bundle: %s\n", error.c_str());
    return 1;
  }
  std::vector<authoring::BundledFont> bundled;
  const bool written = authoring::WriteBundle(
      input, arguments.outFolder, [](const std::string& line) { std::printf("%s\n", line.c_str()); }, bundled, error);
  std::fflush(stdout);
  if (!written) {
    std::fprintf(stderr, "sabun bundle: %s (nothing was written)\n", error.c_str());
    return 1;
  }
  std::printf("update data: %s (%zu fonts)\n", arguments.outFolder.c_str(), bundled.size());
  return 0;
}

}  // namespace

void AddBundleCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "bundle", "write an update data folder from font pairs: PAIRS/old/*.otf and PAIRS/new/*.otf, or a manifest");
  auto arguments = std::make_shared<BundleArguments>();
  command
      ->add_option("PAIRS", arguments->input,
                   "a folder holding old/ and new/, or a manifest: one font a line, the installed file name, the "
                   "installed font and the revised font separated by tabs, optionally the download name")
      ->required();
  command->add_option("-o,--output", arguments->outFolder, "the update data folder to write (new or empty)")
      ->required();
  command->add_option("--download-names", arguments->downloadNamesPath,
                      "a file of more download names (five digits), one a line");
  command->add_option("--title", arguments->title, "the start dialog's title (MAIN_TEXTTITLE), UTF-8");
  command->add_option("-j,--jobs", arguments->jobs,
                      "patches made at once (default: one a core, at most 8; each takes about 13 times its font's "
                      "size in memory)");
  SetCommandAction(command, [arguments]() { return RunBundleCommand(*arguments); });
}
