// Whole-file reads and writes on Linux. A file whose mode has no write bit
// at all is treated as Windows treats a read-only file: it is neither
// replaced, copied over nor deleted, even by root.
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/FileBytes.h"
#include "platform/FileFaults.h"
#include "platform/ReachedFiles.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/FolderWalk.h"
#include "platform/posix/TempFolder.h"

namespace platform {

const char kPathSeparator = '/';

namespace posix {

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Writes `size` bytes, or half of them and a failure when the hook says so.
bool WriteWithFaults(int fd, const std::string& path, const std::uint8_t* data, std::size_t size) {
  switch (CheckFileFault(FileOp::Write, path)) {
    case Fault::Refuse:
      return false;
    case Fault::PartWay:
      WriteAll(fd, data, size / 2);
      return false;
    case Fault::None:
      break;
  }
  return WriteAll(fd, data, size);
}

}  // namespace posix

namespace {

using Fd = posix::FileDescriptor;
using posix::WriteAll;
using posix::WriteWithFaults;

bool IsReadOnly(const struct stat& info) { return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// Opens `path` for replacing its contents: created when missing, refused
// when it is read-only or not a regular file, emptied otherwise.
int OpenForReplacing(const std::string& path) {
  // O_NONBLOCK: a FIFO in the file's place fails at once instead of waiting.
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644));
  if (fd.Get() < 0) return -1;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || IsReadOnly(info)) return -1;
  if (::ftruncate(fd.Get(), 0) != 0) return -1;
  return fd.Release();
}

// Reads a regular file whole. With `faults` the hook may refuse the open or
// the read, or stop the read part-way; the copy's own read of its source
// goes without, as CopyFileA's does.
template <typename Bytes>
bool ReadRegularFile(const std::string& path, Bytes& bytes, bool faults) {
  detail::Forget(bytes);
  if (faults && CheckFileFault(FileOp::Open, path) != Fault::None) return false;
  // O_NONBLOCK: a FIFO in a font's place must not hang the program; it is
  // refused below like anything else that is not a regular file.
  const posix::Located at = posix::Locate(path);
  Fd fd(::openat(at.folder, at.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) return false;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const Fault readFault = faults ? CheckFileFault(FileOp::Read, path) : Fault::None;
  if (readFault == Fault::Refuse) return false;
  // A size that the cast would cut short cannot be held.
  if (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) >= SIZE_MAX ||
      !detail::MakeRoom(bytes, static_cast<std::size_t>(info.st_size)))
    return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  if (done != bytes.size() || readFault == Fault::PartWay) {
    detail::Forget(bytes);
    return false;
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  return ReadRegularFile(path, bytes, true);
}

bool ReadFileInPieces(const std::string& path, std::size_t pieceSize,
                      const std::function<void(std::span<const std::uint8_t>)>& consume) {
  if (pieceSize == 0 || CheckFileFault(FileOp::Open, path) != Fault::None) return false;
  const posix::Located at = posix::Locate(path);
  Fd fd(::openat(at.folder, at.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) return false;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) return false;
  const Fault readFault = CheckFileFault(FileOp::Read, path);
  if (readFault == Fault::Refuse) return false;
  // Not cleared: every piece is read into before it is used.
  const auto piece = std::make_unique_for_overwrite<std::uint8_t[]>(pieceSize);
  std::uintmax_t left = static_cast<std::uintmax_t>(info.st_size);
  while (left > 0) {
    const std::size_t wanted = left < pieceSize ? static_cast<std::size_t>(left) : pieceSize;
    std::size_t done = 0;
    while (done < wanted) {
      const ssize_t got = ::read(fd.Get(), piece.get() + done, wanted - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;  // shorter than it was
      done += static_cast<std::size_t>(got);
    }
    if (readFault == Fault::PartWay) return false;
    consume({piece.get(), wanted});
    left -= wanted;
  }
  return true;
}

bool WriteNewFile(const std::string& path, const std::uint8_t* data, std::size_t size, NewFileAccess access) {
  if (CheckFileFault(FileOp::Create, path) != Fault::None) return false;
  // O_EXCL with O_CREAT never follows a link planted at `path`.
  const mode_t mode = access == NewFileAccess::kOwnerOnly ? 0600 : 0666;
  const posix::Located at = posix::Locate(path);
  Fd fd(::openat(at.folder, at.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (fd.Get() < 0) return false;
  if (!WriteWithFaults(fd.Get(), path, data, size) || !fd.Close()) {
    ::unlinkat(at.folder, at.name.c_str(), 0);
    return false;
  }
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::uint8_t* data, std::size_t size) {
  if (CheckFileFault(FileOp::Create, path) != Fault::None) return false;
  Fd fd(OpenForReplacing(path));
  if (fd.Get() < 0) return false;
  return WriteWithFaults(fd.Get(), path, data, size) && fd.Close();
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  const Fault fault = CheckFileFault(FileOp::Copy, to);
  if (fault == Fault::Refuse) return false;
  std::vector<std::uint8_t> bytes;
  if (!ReadRegularFile(from, bytes, false)) return false;
  // Like CopyFileA: the existing file is replaced in place (it keeps its
  // identity, so a read-only file refuses the copy).
  Fd fd(OpenForReplacing(to));
  if (fd.Get() < 0) return false;
  if (fault == Fault::PartWay) {
    WriteAll(fd.Get(), bytes.data(), bytes.size() / 2);
    return false;
  }
  if (!WriteAll(fd.Get(), bytes.data(), bytes.size()) || !fd.Close()) return false;
  // fontconfig tells a changed font folder by its modification time, which
  // a file written in place leaves as it was.
  const std::size_t slash = to.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : slash == 0 ? "/" : to.substr(0, slash);
  ::utimensat(AT_FDCWD, folder.c_str(), nullptr, 0);
  return true;
}

namespace detail {
bool ReadFileUnhooked(const std::string& path, std::vector<std::uint8_t>& bytes) {
  return ReadRegularFile(path, bytes, false);
}
}  // namespace detail

bool ReplaceFileInOneStep(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FileIdentity file;
  return LookUpFile(path, file) && ReplaceReachedFile(file, data, size);
}

bool RemoveFile(const std::string& path) {
  if (CheckFileFault(FileOp::Delete, path) != Fault::None) return false;
  const posix::Located at = posix::Locate(path);
  struct stat info {};
  if (::fstatat(at.folder, at.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode)) return false;
  if (S_ISREG(info.st_mode) && IsReadOnly(info)) return false;
  return ::unlinkat(at.folder, at.name.c_str(), 0) == 0;
}

bool FileExists(const std::string& path) {
  const posix::Located at = posix::Locate(path);
  struct stat info {};
  return ::fstatat(at.folder, at.name.c_str(), &info, 0) == 0;
}

}  // namespace platform
