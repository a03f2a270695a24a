// sabun bundle PAIRS -o DIR: an update data folder (update.ini, the patches
// 2001 onwards, download-names.txt) from a folder of font pairs or a
// manifest, ready for `cmake -DUPDATE_DATA=DIR`.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "tools/authoring/UpdateBundle.h"
#include "tools/authoring/UpdateDataFolder.h"
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
    // One line for each refused pair, then what came of it.
    std::size_t start = 0;
    for (std::size_t end = error.find('\n');; end = error.find('\n', start)) {
      std::fprintf(stderr, "sabun bundle: %s\n", error.substr(start, end - start).c_str());
      if (end == std::string::npos) break;
      start = end + 1;
    }
    std::fprintf(stderr, "sabun bundle: nothing was written\n");
    return 1;
  }
  std::printf("update data: %s (%zu fonts)\n", arguments.outFolder.c_str(), bundled.size());
  const std::filesystem::path names = std::filesystem::path(arguments.outFolder) / authoring::kDownloadNamesFileName;
  std::vector<std::string> writtenNames;
  if (std::filesystem::exists(names, failed) && authoring::ReadDownloadNames(names.string(), writtenNames, error)) {
    std::printf("download names: %s (%zu names; the updater deletes the customers' download copies of these)\n",
                names.string().c_str(), writtenNames.size());
  } else {
    std::printf("download names: none written (give them in the manifest's fourth column or with --download-names)\n");
  }
  std::printf("next: sabun check %s\n", arguments.outFolder.c_str());
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
  command->add_option("--title", arguments->title,
                      "the start dialog's title (MAIN_TEXTTITLE), UTF-8; {count} is replaced by the number of fonts "
                      "(default: 下記{count}フォントが改訂対象です。)");
  command->add_option("-j,--jobs", arguments->jobs,
                      "patches made at once (default: one a core, at most 8; each takes about 13 times its font's "
                      "size in memory)");
  SetCommandAction(command, [arguments]() { return RunBundleCommand(*arguments); });
}
