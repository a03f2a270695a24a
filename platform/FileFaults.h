// Fault injection for the file operations: tests make an operation refuse or
// stop part-way without a broken disk. The shipped program never installs a
// hook.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Flush: a new file's bytes forced to the disk; Replace: a new file put in
// the place of another in one step.
enum class FileOp { Open, Read, Create, Write, Copy, Delete, Flush, Replace };
enum class Fault { None, Refuse, PartWay };

using FileFaultHook = std::function<Fault(FileOp op, const std::string& path)>;

// Installs `hook`; an empty hook removes it.
void SetFileFaultHook(FileFaultHook hook);

// What the installed hook says of `op` on `path` (None without a hook).
// Called by the implementations at the start of each operation.
Fault CheckFileFault(FileOp op, const std::string& path);

}  // namespace platform
