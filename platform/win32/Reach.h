// The checked handles behind platform/ReachedFiles.h on Windows.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ReachedFiles.h"
#include "platform/win32/Handle.h"

namespace platform::win32 {

// `path` split after its last separator: the folder (ending with one) and the name.
void SplitFolder(const std::string& path, std::string& folder, std::string& name);

// Opens `path` with FILE_FLAG_OPEN_REPARSE_POINT (and FILE_FLAG_BACKUP_SEMANTICS
// for a folder) and gives its volume serial number and file index. False
// when it is a reparse point, a folder where a file is wanted or the other
// way round, or (a file) no disk file.
bool OpenChecked(const std::string& path, bool folder, DWORD access, DWORD share, Handle& handle, std::uint64_t& volume,
                 std::uint64_t& index);

// The folder of `identity`, held without FILE_SHARE_DELETE and checked
// against what the search recorded.
bool OpenRecordedFolder(const FileIdentity& identity, Handle& folder);

}  // namespace platform::win32
