// Whole-file reads and writes, copies, deletion and the temporary folder.
// Every operation reports failure by its result and never throws. A read-only
// file (on Linux: one whose mode has no write bit at all) is never replaced,
// copied over or deleted, as on Windows, even when the process could.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// '\\' on Windows, '/' elsewhere.
extern const char kPathSeparator;

// Opens `path` for reading (others may read and write it meanwhile) and reads
// it whole with one read. False when it cannot be opened or read whole, is
// no regular file, or is too large to hold in memory; an empty file gives
// true and no bytes.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Creates a new file at `path` and writes `size` bytes with one write. The
// file must not exist yet, a link in its place is never followed, and nobody
// else may open the file while it is written. On a failed write the partial
// file is removed. False on any failure.
bool WriteNewFile(const std::string& path, const std::uint8_t* data, std::size_t size);

// Creates or truncates `path` and writes `size` bytes (the tools' outputs).
bool WriteFileReplacing(const std::string& path, const std::uint8_t* data, std::size_t size);

// Copies `from` over `to`, replacing an existing file (CopyFileA, overwrite
// allowed). False when the copy failed; `to` is then as the failure left it.
// On Linux a copy that succeeded also gives `to`'s folder a new modification
// time, so that fontconfig sees the folder changed.
bool CopyFileOver(const std::string& from, const std::string& to);

bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);

// The temporary folder, ending with a separator, at most 260 characters
// (MAX_PATH including the terminator). False when there is none that fits.
bool GetTempFolder(std::string& folder);

}  // namespace platform
