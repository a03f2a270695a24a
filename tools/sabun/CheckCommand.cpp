// sabun check DIR: the update data folder checked the way the updater will
// read it, every problem at once; exit status 0 only when it is sound. The
// build runs it on UPDATE_DATA before embedding anything.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/authoring/UpdateDataCheck.h"
#include "tools/sabun/Commands.h"
#include "tools/sabun/UpdateDataSource.h"

namespace {

// The updater's own reading of the folder: the entries its update list
// keeps and the candidates its search makes of them must be all MAXNUM.
void CompareWithUpdater(const std::string& folder, int maxNum, std::vector<authoring::CheckProblem>& problems) {
  CUpdateDataSource source(folder);
  if (!source.Loaded()) return;  // the check has said why
  const CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  const std::size_t candidates = GetFolderCheckCtrl()->candidates.size();
  if (list->count != maxNum || static_cast<int>(candidates) != maxNum) {
    problems.push_back({"update.ini", 0,
                        "the updater reads " + std::to_string(list->count) + " entries and searches for " +
                            std::to_string(candidates) + " fonts, of MAXNUM=" + std::to_string(maxNum),
                        "see the problems above", false});
  }
}

int RunCheckCommand(const std::string& folder) {
  authoring::CheckSummary summary;
  std::vector<authoring::CheckProblem> problems = authoring::CheckUpdateData(folder, summary);
  bool sound = true;
  for (const authoring::CheckProblem& problem : problems) sound = sound && problem.warning;
  if (sound) CompareWithUpdater(folder, summary.fonts, problems);
  int errors = 0;
  for (const authoring::CheckProblem& problem : problems) {
    std::fprintf(stderr, "%s\n", ForOutput(authoring::FormatProblem(folder, problem)).c_str());
    if (!problem.warning) ++errors;
  }
  if (errors > 0) {
    std::fprintf(stderr, "sabun check: %s: %d problem%s; the updater must not be built with it\n",
                 ForOutput(folder).c_str(), errors, errors == 1 ? "" : "s");
    return 1;
  }
  std::printf("sabun check: %s is sound: %d fonts, %d patches, %d download names\n", ForOutput(folder).c_str(),
              summary.fonts, summary.patches, summary.downloadNames);
  std::fflush(stdout);
  return 0;
}

}  // namespace

void AddCheckCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "check", "check an update data folder as the updater will read it; exit status 0 only when it is sound");
  auto folder = std::make_shared<std::string>();
  command->add_option("DIR", *folder, "the update data folder (update.ini, patches/, download-names.txt)")->required();
  SetCommandAction(command, [folder]() { return RunCheckCommand(*folder); });
}
