// The owner of a POSIX file descriptor, so that early returns close what they
// opened.
#pragma once

#include <unistd.h>

namespace platform::posix {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.Release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      if (m_fd >= 0) ::close(m_fd);
      m_fd = other.Release();
    }
    return *this;
  }

  int Get() const { return m_fd; }
  bool IsValid() const { return m_fd >= 0; }
  // Gives the descriptor up to a new owner (fdopendir, say).
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  // Closes now; false when close reports an error (a write may be lost).
  bool Close() {
    const int fd = Release();
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int m_fd = -1;
};

}  // namespace platform::posix
