// What a run nobody watches needs from the system: whether anyone can see
// the program's windows at all, and where its record goes (standard output,
// the system's log) for the deployment tool that started it.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Whether no one can see a window this process makes: it runs in session 0,
// where services run, or in a window station without WSF_VISIBLE (a
// service's). False whenever that cannot be told: when in doubt, the
// dialogs are shown. Always false on Linux, where the run without a terminal
// is asked for explicitly.
bool NoOneSeesTheScreen();

// Writes `text` to standard output when the process was given one (a
// deployment agent captures it); false when there is none or it fails.
bool WriteStandardOutput(const std::string& text);

// Writes the run's record, UTF-8 `lines`, to the system's log under the
// name `source`: Windows, one Application event log entry holding the lines
// (several when they are too long for one), an error when `failed`; Linux,
// one syslog line, the last of `lines`.
void WriteSystemLog(const std::string& source, const std::vector<std::string>& lines, bool failed);

}  // namespace platform
