// The checked handles behind platform/ReachedFiles.h on Windows.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ReachedFiles.h"
#include "platform/win32/Handle.h"

namespace platform::win32 {

// `text` in the ANSI code page (the narrow file functions' paths) as UTF-16.
std::wstring WidenAnsi(const std::string& text);

// `path` split after its last separator: the folder (ending with one) and the name.
void SplitFolder(const std::string& path, std::string& folder, std::string& name);

// Opens `path` with FILE_FLAG_OPEN_REPARSE_POINT (and FILE_FLAG_BACKUP_SEMANTICS
// for a folder) and gives its volume serial number and file index. False
// when it is a reparse point, a folder where a file is wanted or the other
// way round, or (a file) no disk file.
bool OpenChecked(const std::string& path, bool folder, DWORD access, DWORD share, Handle& handle, std::uint64_t& volume,
                 std::uint64_t& index);

// The folder of `identity`, held without FILE_SHARE_DELETE and checked
// against what the search recorded. It is opened to be listed and passed
// through, so the handle takes part in sharing checks: while it is open,
// nobody can rename or delete the folder (error 32). A handle with
// FILE_READ_ATTRIBUTES alone takes no part in them and holds nothing.
bool OpenRecordedFolder(const FileIdentity& identity, Handle& folder);

// ReplaceFileInOneStep for the file `name` at `path` in the folder held open
// as `folder` (OpenRecordedFolder): the new file is created beside it by its
// path, which the held folder keeps from changing, and put in place through
// its own handle, renamed over `name` relative to `folder`; a new file that
// does not go in place is deleted through its handle. On success `revised`
// describes the file now in place (zeroed when it could not be read).
//
// When the file stays in use after the session's release and the retries
// (a font another session has loaded, a file another program holds open)
// and `keptBeside` is given, the complete, flushed new file beside it is
// kept and named there instead of deleted.
bool ReplaceInHeldFolder(HANDLE folder, const std::string& path, const std::string& name, const std::uint8_t* data,
                         std::size_t size, std::string* keptBeside, BY_HANDLE_FILE_INFORMATION& revised);

// Whether the security descriptor `descriptor` lets no one but SYSTEM, the
// Administrators group and TrustedInstaller have any of `rights`: its owner
// is one of them, and no access-allowed entry that applies to the object
// itself grants any of `rights` (or GENERIC_ALL / GENERIC_WRITE) to anyone
// else. A missing (null) list of entries lets everyone do anything.
bool LetsOnlyAdministrators(PSECURITY_DESCRIPTOR descriptor, DWORD rights);

}  // namespace platform::win32
