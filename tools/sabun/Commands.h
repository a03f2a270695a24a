// The subcommands of sabun, the maker's tool; each file adds one.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

// The tag as four printable characters ('?' for any other byte), so that one
// line of output stays one line whatever the file holds.
inline std::string PrintableTag(const std::uint8_t* tag) {
  std::string text(4, '?');
  for (int i = 0; i < 4; ++i) {
    if (tag[i] >= 0x20 && tag[i] < 0x7F) text[i] = static_cast<char>(tag[i]);
  }
  return text;
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
void AddSearchCommand(CLI::App& app);  // sabun search --data DIR ROOT...
void AddUpdateCommand(CLI::App& app);  // sabun update --data DIR FONT...
