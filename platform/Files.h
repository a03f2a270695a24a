// Whole-file reads and writes, copies, deletion and the temporary folder.
// Every operation reports failure by its result and never throws. A read-only
// file (on Linux: one whose mode has no write bit at all) is never replaced,
// copied over or deleted, as on Windows, even when the process could.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/ImageBuffer.h"

namespace platform {

// '\\' on Windows, '/' elsewhere.
extern const char kPathSeparator;

// Opens `path` for reading (others may read and write it meanwhile) and reads
// it whole with one read. False when it cannot be opened or read whole, is
// no regular file, or is too large to hold in memory; an empty file gives
// true and no bytes. The vector has room for one byte more, so that a zero
// appended after the bytes never moves them.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Reads `path` as ReadWholeFile does, through one buffer of `pieceSize`
// bytes: `consume` gets the file's bytes in order, in pieces of exactly
// `pieceSize` bytes but the last. False when the file cannot be opened or
// read whole or is no regular file; pieces may have been consumed by then.
bool ReadFileInPieces(const std::string& path, std::size_t pieceSize,
                      const std::function<void(std::span<const std::uint8_t>)>& consume);

// Creates a new file at `path` and writes `size` bytes with one write. The
// file must not exist yet, a link in its place is never followed, and nobody
// else may open the file while it is written. On a failed write the partial
// file is removed. False on any failure. On Linux the file is the owner's
// alone (0600) unless `access` says it is an ordinary output file (0666
// less the umask).
enum class NewFileAccess { kOwnerOnly, kUsual };
bool WriteNewFile(const std::string& path, const std::uint8_t* data, std::size_t size,
                  NewFileAccess access = NewFileAccess::kOwnerOnly);

// Creates or truncates `path` and writes `size` bytes (the tools' outputs).
bool WriteFileReplacing(const std::string& path, const std::uint8_t* data, std::size_t size);

// Copies `from` over `to`, replacing an existing file (CopyFileA, overwrite
// allowed). False when the copy failed; `to` is then as the failure left it.
// On Linux a copy that succeeded also gives `to`'s folder a new modification
// time, so that fontconfig sees the folder changed.
bool CopyFileOver(const std::string& from, const std::string& to);

// Puts `size` bytes in the place of the regular file at `path`, so that
// `path` holds at every instant either the whole old file or all of the new
// bytes: they go to a new file beside it (ReplacementName, created
// exclusively), are flushed to the disk and take `path`'s owner and
// permission bits (Linux) or attributes (Windows); that file then replaces
// `path` in one step (rename(2) and a flush of the folder; MoveFileExA with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). A read-only `path` is
// refused. False when any step fails: `path` is then untouched and the file
// beside it is gone. On Linux this is ReplaceReachedFile on the file that
// stands at `path` now: its folder is reached without any link.
bool ReplaceFileInOneStep(const std::string& path, const std::uint8_t* data, std::size_t size);

// A fresh name for the file put beside `path` while it is replaced:
// `path` + ".tessel-" + digits + ".part". Its extension is never ".otf", so the
// font search never takes it for a font.
std::string ReplacementName(const std::string& path);
// Removes the files ReplacementName left beside `path` (a run that was killed
// part-way leaves one), read-only ones excepted.
void RemoveReplacementLeftovers(const std::string& path);

bool RemoveFile(const std::string& path);
bool FileExists(const std::string& path);

namespace detail {
// Whether `name` is `fileName` + ".tessel-" + digits + ".part".
bool IsReplacementOf(const std::string& fileName, const std::string& name);
// ReadWholeFile without the fault hook.
bool ReadFileUnhooked(const std::string& path, std::vector<std::uint8_t>& bytes);
}  // namespace detail

// The temporary folder, ending with a separator, at most 260 characters
// (MAX_PATH including the terminator). False when there is none that fits.
// On Linux it is a folder of the program's own (mkdtemp, 0700) made once in
// $TMPDIR or /tmp, so that nobody else can take the predictable names in it.
bool GetTempFolder(std::string& folder);

}  // namespace platform
