// sabun bundle (not built yet).
#include "tools/sabun/Commands.h"

void AddBundleCommand(CLI::App& app) { app.add_subcommand("bundle", "not available yet"); }
