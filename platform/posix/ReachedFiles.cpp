// Reaching a file again on Linux: folders opened component by component
// without following a link, files opened relative to them with O_NOFOLLOW,
// each checked against the device and inode the search recorded.
#include "platform/ReachedFiles.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <new>
#include <utility>

#include "platform/FileFaults.h"
#include "platform/Files.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderWalk.h"

namespace platform {

using posix::FileDescriptor;

struct FileReader::Impl {
  FileDescriptor fd;
  std::uint64_t size = 0;
  FileIdentity identity;
};

FileReader::FileReader() : m_impl(std::make_unique<Impl>()) {}
FileReader::~FileReader() = default;

namespace {

// Opens `name` in the folder `folder` for reading: a regular file, never a
// link (O_NOFOLLOW), never a terminal that would become ours (O_NOCTTY),
// never waiting on a FIFO (O_NONBLOCK).
bool OpenIn(int folder, const std::string& name, FileDescriptor& fd, struct stat& info) {
  fd = FileDescriptor(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  return fd.IsValid() && ::fstat(fd.Get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0;
}

}  // namespace

bool FileReader::Open(const std::string& path) {
  m_impl = std::make_unique<Impl>();
  if (CheckFileFault(FileOp::Open, path) != Fault::None) return false;
  FileIdentity identity;
  posix::SplitFolder(path, identity.folder, identity.name);
  if (identity.name.empty()) return false;
  // The folder as the caller names it; only the file itself must be no link.
  FileDescriptor folder(::open(identity.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat folderInfo {};
  if (!folder.IsValid() || ::fstat(folder.Get(), &folderInfo) != 0) return false;
  struct stat info {};
  if (!OpenIn(folder.Get(), identity.name, m_impl->fd, info)) return false;
  identity.folderVolume = folderInfo.st_dev;
  identity.folderIndex = folderInfo.st_ino;
  identity.volume = info.st_dev;
  identity.index = info.st_ino;
  identity.known = true;
  m_impl->identity = identity;
  m_impl->size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool FileReader::Open(const FileIdentity& identity) {
  m_impl = std::make_unique<Impl>();
  if (!identity.known || CheckFileFault(FileOp::Open, identity.Path()) != Fault::None) return false;
  FileDescriptor folder = posix::OpenRecordedFolder(identity);
  if (!folder.IsValid()) return false;
  struct stat info {};
  if (!OpenIn(folder.Get(), identity.name, m_impl->fd, info) || info.st_dev != identity.volume ||
      info.st_ino != identity.index) {
    m_impl->fd.Close();
    return false;
  }
  m_impl->identity = identity;
  m_impl->size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool FileReader::IsOpen() const { return m_impl->fd.IsValid(); }

std::uint64_t FileReader::Size() const { return m_impl->size; }

const FileIdentity& FileReader::Identity() const { return m_impl->identity; }

bool FileReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!m_impl->fd.IsValid() || offset > m_impl->size || out.size() > m_impl->size - offset) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(m_impl->fd.Get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // shorter than it was
    done += static_cast<std::size_t>(got);
  }
  return true;
}

namespace {

// Whether the entry `name` of `folder` is still the file `file` names: a
// regular file (not followed if it is a link) with the recorded device and inode.
bool StillTheFile(int folder, const FileIdentity& file, struct stat& info) {
  return ::fstatat(folder, file.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
         info.st_dev == file.volume && info.st_ino == file.index;
}

// The names of a folder open as `folder` (the descriptor stays open).
std::vector<std::string> NamesIn(int folder) {
  std::vector<std::string> names;
  const int copy = ::dup(folder);
  if (copy < 0) return names;
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) {
    ::close(copy);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  return names;
}

// Removes `name` from `folder` when it is a regular file that is not read-only.
void RemoveRegularFile(int folder, const std::string& name) {
  struct stat info {};
  if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
      !posix::IsReadOnlyMode(info.st_mode))
    ::unlinkat(folder, name.c_str(), 0);
}

}  // namespace

bool LookUpFile(const std::string& path, FileIdentity& file) {
  FileIdentity found;
  posix::SplitFolder(path, found.folder, found.name);
  if (found.name.empty()) return false;
  FileDescriptor folder(::open(found.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat folderInfo {};
  struct stat info {};
  if (!folder.IsValid() || ::fstat(folder.Get(), &folderInfo) != 0 ||
      ::fstatat(folder.Get(), found.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
    return false;
  }
  found.folderVolume = folderInfo.st_dev;
  found.folderIndex = folderInfo.st_ino;
  found.volume = info.st_dev;
  found.index = info.st_ino;
  found.known = true;
  file = found;
  return true;
}

// A folder whose names can be added but never taken away (chattr +a):
// the file beside the font could be made there but, should the rename
// fail, never removed again. File systems without these flags say nothing.
namespace {
bool RemovesNothing(int folder) {
  int flags = 0;
  return ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}
}  // namespace

// Every step works on the one folder descriptor, checked once against what
// the search recorded: the file beside the font is created in it, given the
// installed font's owner and bits through its own descriptor, and renamed
// over the font within it. No path is resolved again, so no link swapped in
// meanwhile can send a step elsewhere.
// A rename over a font in use always succeeds here: nothing ever waits for
// a restart, so `waiting` is left as it is.
bool ReplaceReachedFile(FileIdentity& file, const std::uint8_t* data, std::size_t size, FileIdentity* /*waiting*/) {
  const std::string path = file.Path();
  FileDescriptor folder = posix::OpenRecordedFolder(file);
  struct stat installed {};
  if (!folder.IsValid() || !StillTheFile(folder.Get(), file, installed) || posix::IsReadOnlyMode(installed.st_mode) ||
      RemovesNothing(folder.Get()))
    return false;
  std::string besideName;
  int created = -1;
  for (int attempt = 0; attempt < 64 && created < 0; ++attempt) {
    const std::string beside = ReplacementName(path);
    besideName = beside.substr(file.folder.size());
    if (CheckFileFault(FileOp::Create, beside) != Fault::None) return false;
    created = ::openat(folder.Get(), besideName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (created < 0 && errno != EEXIST) return false;
  }
  if (created < 0) return false;
  const std::string beside = file.folder + besideName;
  FileDescriptor fd(created);
  auto abandon = [&] {
    fd.Close();
    ::unlinkat(folder.Get(), besideName.c_str(), 0);
    return false;
  };
  if (!posix::WriteWithFaults(fd.Get(), beside, data, size)) return abandon();
  // The revised font keeps the installed one's owner and permission bits.
  if (::fchown(fd.Get(), installed.st_uid, installed.st_gid) != 0) {
    struct stat now {};
    if (::fstat(fd.Get(), &now) != 0 || now.st_uid != installed.st_uid || now.st_gid != installed.st_gid)
      return abandon();
  }
  if (::fchmod(fd.Get(), installed.st_mode & 07777) != 0) return abandon();
  if (CheckFileFault(FileOp::Flush, beside) != Fault::None || ::fsync(fd.Get()) != 0) return abandon();
  struct stat revised {};
  if (::fstat(fd.Get(), &revised) != 0 || !fd.Close()) return abandon();
  // The font must still be the one read; whatever stands under its name now
  // is what the rename replaces.
  struct stat still {};
  if (!StillTheFile(folder.Get(), file, still) || CheckFileFault(FileOp::Replace, path) != Fault::None ||
      ::renameat(folder.Get(), besideName.c_str(), folder.Get(), file.name.c_str()) != 0) {
    ::unlinkat(folder.Get(), besideName.c_str(), 0);
    return false;
  }
  // The new name to the disk as well; the replacement has happened whatever
  // this says.
  ::fsync(folder.Get());
  file.volume = revised.st_dev;
  file.index = revised.st_ino;
  return true;
}

bool ReplaceAtRestart(const FileIdentity& /*waiting*/, const FileIdentity& /*installed*/) { return false; }

// The recorded folder and each folder above it, reached through ".." from
// the descriptor, never by a path: owned by root and writable by no group
// and no other user. A sticky folder others may write (/tmp) still lets
// them put names in it, so it does not count.
bool OnlyAdministratorsWrite(const FileIdentity& file) {
  if (!file.known) return false;
  FileDescriptor folder = posix::OpenRecordedFolder(file);
  // The depth bound only keeps a strange mount from holding the walk.
  for (int depth = 0; folder.IsValid() && depth < 256; ++depth) {
    struct stat info {};
    if (::fstat(folder.Get(), &info) != 0 || info.st_uid != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
      return false;
    FileDescriptor parent(::openat(folder.Get(), "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat above {};
    if (!parent.IsValid() || ::fstat(parent.Get(), &above) != 0) return false;
    if (above.st_dev == info.st_dev && above.st_ino == info.st_ino) return true;  // the root
    folder = std::move(parent);
  }
  return false;
}

bool IsStillReached(const FileIdentity& file) {
  FileDescriptor folder = posix::OpenRecordedFolder(file);
  struct stat info {};
  return file.known && folder.IsValid() && StillTheFile(folder.Get(), file, info);
}

bool RemoveReachedFile(const FileIdentity& file) {
  if (!file.known || CheckFileFault(FileOp::Delete, file.Path()) != Fault::None) return false;
  FileDescriptor folder = posix::OpenRecordedFolder(file);
  struct stat info {};
  if (!folder.IsValid() || !StillTheFile(folder.Get(), file, info) || posix::IsReadOnlyMode(info.st_mode)) return false;
  return ::unlinkat(folder.Get(), file.name.c_str(), 0) == 0;
}

void RemoveReplacementLeftovers(const FileIdentity& file) {
  FileDescriptor folder = posix::OpenRecordedFolder(file);
  if (!folder.IsValid()) return;
  for (const std::string& name : NamesIn(folder.Get())) {
    if (detail::IsReplacementOf(file.name, name)) RemoveRegularFile(folder.Get(), name);
  }
}

void RemoveFilesNamedLike(const std::string& folderPath, const std::string& part) {
  FileDescriptor folder = posix::OpenFolderWithoutLinks(folderPath);
  if (!folder.IsValid()) return;
  for (const std::string& name : NamesIn(folder.Get())) {
    if (name.find(part) != std::string::npos && CheckFileFault(FileOp::Delete, folderPath + name) == Fault::None)
      RemoveRegularFile(folder.Get(), name);
  }
}

}  // namespace platform
