// Checking an update data folder (update.ini, patches/NNNN.pa,
// download-names.txt) the way the updater will read it, before it is built
// in: every problem at once, each with its file, line, what is wrong and what
// to do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace authoring {

struct CheckProblem {
  std::string file;      // relative to the folder: "update.ini", "patches/2003.pa"
  int line = 0;          // 1-based; 0 for the file as a whole
  std::string what;      // what is wrong
  std::string fix;       // what to do
  bool warning = false;  // worth saying, but the updater works
};

struct CheckSummary {
  int fonts = 0;          // entries the list promises ("MAXNUM")
  int patches = 0;        // patches that load
  int downloadNames = 0;  // well-formed download names
};

// Checks `folder`. The folder is sound when no problem is an error.
std::vector<CheckProblem> CheckUpdateData(const std::string& folder, CheckSummary& summary);

// The number of fonts a start dialog title states, "...下記6フォント..."
// (ASCII or full-width digits before "フォント"), or nothing.
std::optional<int> StatedFontCount(const std::string& utf8);

// A head.fontRevision (16.16 fixed point) as fonts show it: "1.010".
std::string FormatRevision(std::uint32_t revision);

// One problem as the check prints it: "FOLDER/FILE:LINE: error: WHAT; FIX".
std::string FormatProblem(const std::string& folder, const CheckProblem& problem);

}  // namespace authoring
