// The subcommands of sabun, the maker's tool; each file adds one.
#pragma once

#include <CLI/CLI.hpp>

void AddFontCommand(CLI::App& app);    // sabun font FILE
void AddInfoCommand(CLI::App& app);    // sabun info PATCH
void AddApplyCommand(CLI::App& app);   // sabun apply OLD PATCH -o OUT
void AddMakeCommand(CLI::App& app);    // sabun make OLD NEW -o PATCH
void AddBundleCommand(CLI::App& app);  // sabun bundle ... -o DIR
