// Folders reached without following a link: the start of every operation on
// a file the search found (platform/ReachedFiles.h).
#pragma once

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

}  // namespace platform::posix
