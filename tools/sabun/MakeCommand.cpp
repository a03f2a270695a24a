// sabun make OLD NEW -o PATCH: the patch that turns the installed font OLD
// into NEW, checked with the updater's own build before it is written.
#include <cstdio>
#include <memory>
#include <string>

#include "tools/authoring/PatchMaker.h"
#include "tools/sabun/Commands.h"

namespace {

struct MakeArguments {
  std::string oldPath;
  std::string newPath;
  std::string patchPath;
  bool quiet = false;
  bool allowDowngrade = false;
};

const char* FormName(authoring::TableForm form) {
  switch (form) {
    case authoring::TableForm::kKeep:
      return "kept";
    case authoring::TableForm::kReplaceWhole:
      return "replaced whole";
    case authoring::TableForm::kDifference:
      return "difference";
    case authoring::TableForm::kAdded:
      return "added";
  }
  return "";
}

void PrintResult(const authoring::MakeResult& result, const std::string& patchPath) {
  std::printf("font name: %s\n", ForOutput(result.fontName).c_str());
  std::printf("revision: %s -> %s\n", authoring::RevisionText(result.oldRevision).c_str(),
              authoring::RevisionText(result.newRevision).c_str());
  for (const authoring::TableReport& table : result.tables) {
    std::printf("  %-4s %-14s %10u -> %10u", table.tag.c_str(), FormName(table.form), table.oldLength, table.newLength);
    if (table.form != authoring::TableForm::kKeep) {
      std::printf("  old segments %zu, new segments %zu, carried %zu, block %zu", table.oldSegments, table.newSegments,
                  table.carriedBytes, table.blockSize);
    }
    std::printf("\n");
  }
  for (const std::string& tag : result.droppedTables) std::printf("  %-4s dropped\n", tag.c_str());
  std::printf("patch: %s, %zu bytes\n", patchPath.c_str(), result.patch.size());
  std::printf("checked: the updater's build gives %s\n",
              result.byteIdentical ? "the revised font byte for byte"
                                   : "the revised font's tables in the patch's layout, with correct checksums");
}

int RunMakeCommand(const MakeArguments& arguments) {
  authoring::MakeResult result;
  std::string error;
  authoring::MakeOptions options;
  options.allowDowngrade = arguments.allowDowngrade;
  if (!authoring::MakePatchFile(arguments.oldPath, arguments.newPath, arguments.patchPath, result, error, options)) {
    std::fprintf(stderr, "sabun make: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& note : result.notes) std::fprintf(stderr, "sabun make: note: %s\n", note.c_str());
  if (!arguments.quiet) PrintResult(result, arguments.patchPath);
  return 0;
}

}  // namespace

void AddMakeCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand("make", "make the patch that turns the installed font OLD into NEW");
  auto arguments = std::make_shared<MakeArguments>();
  command->add_option("OLD", arguments->oldPath, "the font as installed")->required();
  command->add_option("NEW", arguments->newPath, "the revised font")->required();
  command->add_option("-o,--output", arguments->patchPath, "the patch file to write")->required();
  command->add_flag("-q,--quiet", arguments->quiet, "print only notes and errors");
  command->add_flag("--allow-downgrade", arguments->allowDowngrade,
                    "make the patch even when NEW's revision is not above OLD's");
  SetCommandAction(command, [arguments]() { return RunMakeCommand(*arguments); });
}
