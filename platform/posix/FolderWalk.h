// Folders reached without following a link: the start of every operation on
// a file the search found (platform/ReachedFiles.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ReachedFiles.h"
#include "platform/posix/FileDescriptor.h"

namespace platform::posix {

// `path` split after its last '/': the folder (ending with '/', "./" when
// there is none) and the name.
void SplitFolder(const std::string& path, std::string& folder, std::string& name);

// Opens `folder` one component at a time from the root (or from the current
// folder for a relative path), each with O_NOFOLLOW | O_DIRECTORY: a link
// anywhere on the way makes it fail. Invalid on failure.
FileDescriptor OpenFolderWithoutLinks(const std::string& folder);

// The folder of `identity`, reached as OpenFolderWithoutLinks reaches it and
// checked against the device and inode the search recorded. Invalid when it
// is not that folder.
FileDescriptor OpenRecordedFolder(const FileIdentity& identity);

// Writes all `size` bytes; false on an error.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size);
// Writes `size` bytes, or half of them and a failure when the fault hook
// says so for `path`.
bool WriteWithFaults(int fd, const std::string& path, const std::uint8_t* data, std::size_t size);

// Whether a file of mode `mode` is read-only as Windows means it: no write
// bit for anyone.
inline bool IsReadOnlyMode(unsigned mode) { return (mode & 0222) == 0; }

}  // namespace platform::posix
