// sabun: the maker's tool for building and checking font updates.
#include "tools/sabun/Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"sabun: build and check font updates for the font revision program"};
  app.require_subcommand(1);
  AddFontCommand(app);
  AddInfoCommand(app);
  AddApplyCommand(app);
  AddMakeCommand(app);
  AddBundleCommand(app);
  AddCheckCommand(app);
  AddSearchCommand(app);
  AddUpdateCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }
  return 0;
}
