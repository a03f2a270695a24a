// sabun info (not built yet).
#include "tools/sabun/Commands.h"

void AddInfoCommand(CLI::App& app) { app.add_subcommand("info", "not available yet"); }
