// sabun font (not built yet).
#include "tools/sabun/Commands.h"

void AddFontCommand(CLI::App& app) { app.add_subcommand("font", "not available yet"); }
