// sabun search --data DIR ROOT...: the updater's font search over folders of
// the maker's choosing. Each root is walked as the updater walks a drive
// root, its depth counted from the root, and every font the update data
// would revise is printed (full path, expected revision, patch number), then
// every download copy. Exit 0 when something was found, 1 when nothing.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "search/FolderCheckCtrl.h"
#include "tools/sabun/Commands.h"
#include "tools/sabun/UpdateDataSource.h"

namespace {

struct SearchOptions {
  std::string dataFolder;
  std::vector<std::string> roots;
};

int RunSearchCommand(const SearchOptions& options) {
  CUpdateDataSource data(options.dataFolder);
  if (!data.Loaded()) {
    std::fprintf(stderr, "sabun search: %s\n", data.Error().c_str());
    return 2;
  }
  CFolderCheckCtrl* search = GetFolderCheckCtrl();
  if (search->candidates.empty()) {
    std::fprintf(stderr, "sabun search: the update data lists no font whose patch can be read\n");
    return 2;
  }
  for (std::string root : options.roots) {
    // Walked from its real path: a found font is reached again only through
    // folders that are no links.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::weakly_canonical(root, error);
    if (!error && !real.empty()) root = real.string();
    if (root.empty() || root.back() != platform::kPathSeparator) root += platform::kPathSeparator;
    search->WalkFolder(root, nullptr, nullptr, 0);
  }
  // Paths come from the folders walked: on a terminal their control
  // characters are escaped; a file or a pipe gets them as they are.
  for (const auto& found : search->foundFonts) {
    std::printf("%s\t0x%08X\t%d\n", ForOutput(found->path).c_str(), found->expectedRevision, found->resourceNumber);
  }
  for (const platform::FileIdentity& copy : search->downloadCopies) {
    std::printf("download: %s\n", ForOutput(copy.Path()).c_str());
  }
  return search->foundFonts.empty() && search->downloadCopies.empty() ? 1 : 0;
}

}  // namespace

void AddSearchCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "search", "find the fonts an update data folder revises below ROOTs, as the updater searches a drive");
  auto options = std::make_shared<SearchOptions>();
  command->add_option("--data", options->dataFolder, "the update data folder (sabun bundle's output)")->required();
  command->add_option("ROOT", options->roots, "folders walked as drive roots")->required();
  SetCommandAction(command, [options]() { return RunSearchCommand(*options); });
}
