// Opening a folder component by component, never through a link.
#include "platform/posix/FolderWalk.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform::posix {

void SplitFolder(const std::string& path, std::string& folder, std::string& name) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    folder = "./";
    name = path;
    return;
  }
  folder = path.substr(0, slash + 1);
  name = path.substr(slash + 1);
}

FileDescriptor OpenFolderWithoutLinks(const std::string& folder) {
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  FileDescriptor at(::open(folder.rfind('/', 0) == 0 ? "/" : ".", kFlags));
  std::size_t start = 0;
  while (at.IsValid() && start < folder.size()) {
    std::size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    const std::string component = folder.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    at = FileDescriptor(::openat(at.Get(), component.c_str(), kFlags));
  }
  return at;
}

FileDescriptor OpenRecordedFolder(const FileIdentity& identity) {
  FileDescriptor folder = OpenFolderWithoutLinks(identity.folder);
  struct stat info {};
  if (!folder.IsValid() || ::fstat(folder.Get(), &info) != 0 || info.st_dev != identity.folderVolume ||
      info.st_ino != identity.folderIndex) {
    return FileDescriptor();
  }
  return folder;
}

}  // namespace platform::posix
