// sabun make (not built yet).
#include "tools/sabun/Commands.h"

void AddMakeCommand(CLI::App& app) { app.add_subcommand("make", "not available yet"); }
