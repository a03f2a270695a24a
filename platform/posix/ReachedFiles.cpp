// Reaching a file again on Linux: folders opened component by component
// without following a link, files opened relative to them with O_NOFOLLOW,
// each checked against the device and inode the search recorded.
#include "platform/ReachedFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/FileFaults.h"
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

bool FileReader::ReadWhole(std::vector<std::uint8_t>& bytes, std::uint64_t maxSize) {
  bytes.clear();
  if (!m_impl->fd.IsValid() || m_impl->size > maxSize || m_impl->size >= bytes.max_size()) return false;
  const std::string path = m_impl->identity.Path();
  const Fault readFault = CheckFileFault(FileOp::Read, path);
  if (readFault == Fault::Refuse) return false;
  try {
    // Room for the zero byte a font image gets after it, without a second buffer.
    bytes.reserve(static_cast<std::size_t>(m_impl->size) + 1);
    bytes.resize(static_cast<std::size_t>(m_impl->size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!ReadAt(0, bytes) || readFault == Fault::PartWay) {
    bytes.clear();
    return false;
  }
  return true;
}

}  // namespace platform
