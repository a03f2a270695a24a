// The subcommands of sabun, the maker's tool; each file adds one.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

#include "font/PrintableTag.h"
#include "platform/Text.h"

// Outside text (a path, a font name read from a file) as sabun prints it:
// escaped when standard output is a terminal, as it is otherwise.
inline std::string ForOutput(const std::string& text) {
  return platform::StandardOutputIsTerminal() ? platform::EscapeForTerminal(text) : text;
}

// Makes `run` the subcommand's action: its result is sabun's exit status.
template <typename Run>
void SetCommandAction(CLI::App* command, Run run) {
  command->callback([run]() {
    const int result = run();
    if (result != 0) throw CLI::RuntimeError(result);
  });
}

void AddFontCommand(CLI::App& app);    // sabun font FILE
void AddInfoCommand(CLI::App& app);    // sabun info PATCH
void AddApplyCommand(CLI::App& app);   // sabun apply OLD PATCH -o OUT
void AddMakeCommand(CLI::App& app);    // sabun make OLD NEW -o PATCH
void AddBundleCommand(CLI::App& app);  // sabun bundle ... -o DIR
void AddCheckCommand(CLI::App& app);   // sabun check DIR
void AddSearchCommand(CLI::App& app);  // sabun search --data DIR ROOT...
void AddUpdateCommand(CLI::App& app);  // sabun update --data DIR FONT...
