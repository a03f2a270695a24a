// sabun apply (not built yet).
#include "tools/sabun/Commands.h"

void AddApplyCommand(CLI::App& app) { app.add_subcommand("apply", "not available yet"); }
