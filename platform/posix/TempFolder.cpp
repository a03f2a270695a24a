// The private temporary folder: made under a trusted base with a name
// nobody can guess, held by descriptor for the whole run, removed at exit
// when empty.
#include "platform/posix/TempFolder.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/posix/FileDescriptor.h"

namespace platform {
namespace {

using posix::FileDescriptor;

// Twelve letters and digits from the kernel's random source.
std::string UnguessableName() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char random[12] = {};
  std::size_t got = 0;
  while (got < sizeof random) {
    const ssize_t n = ::getrandom(random + got, sizeof random - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::string();
    got += static_cast<std::size_t>(n);
  }
  std::string name = "tessel-";
  for (const unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
  return name;
}

struct MadeFolder {
  std::string base;         // the base asked for, ending with '/'
  std::string path;         // the folder's path, ending with '/'
  std::string trustedBase;  // the base it was made in, ending with '/'
  std::string name;         // its name in the base
  FileDescriptor baseFd;
  FileDescriptor fd;
};

// Whether a process running as root may make its folder in the folder open
// as `fd`: one another user owns, or may write without the sticky bit, would
// let that user rename the private folder away and put a link of theirs in
// its place. Anyone else makes it only where they could anyway.
bool TrustedForThisProcess(int fd) {
  if (::geteuid() != 0) return true;
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == 0 &&
         ((info.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (info.st_mode & S_ISVTX) != 0);
}

// The base folder asked for, opened once and checked through that
// descriptor; /tmp instead where an elevated process cannot trust it. A base
// that does not exist is not replaced: the run says it cannot write.
FileDescriptor OpenTrustedBase(const std::string& base, std::string& opened) {
  FileDescriptor fd(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.IsValid()) return fd;
  opened = base;
  if (TrustedForThisProcess(fd.Get())) return fd;
  opened = "/tmp/";
  fd = FileDescriptor(::open("/tmp", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.IsValid() && !TrustedForThisProcess(fd.Get())) return FileDescriptor();
  return fd;
}

// The program's own folders in the temporary folder, one per base asked
// for, removed at exit when they are empty.
class PrivateTempFolders {
 public:
  ~PrivateTempFolders() {
    for (const MadeFolder& made : m_made) ::unlinkat(made.baseFd.Get(), made.name.c_str(), AT_REMOVEDIR);
  }

  const MadeFolder* Get(const std::string& base) {
    for (const MadeFolder& made : m_made) {
      if (made.base == base) return &made;
    }
    MadeFolder made;
    made.base = base;
    made.baseFd = OpenTrustedBase(base, made.trustedBase);
    if (!made.baseFd.IsValid()) return nullptr;
    for (int attempt = 0; attempt < 16 && !made.fd.IsValid(); ++attempt) {
      made.name = UnguessableName();
      if (made.name.empty()) return nullptr;
      if (::mkdirat(made.baseFd.Get(), made.name.c_str(), 0700) != 0) {
        if (errno == EEXIST) continue;
        return nullptr;
      }
      made.fd = FileDescriptor(
          ::openat(made.baseFd.Get(), made.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      struct stat info {};
      if (!made.fd.IsValid() || ::fstat(made.fd.Get(), &info) != 0 || info.st_uid != ::geteuid() ||
          (info.st_mode & 077) != 0)
        return nullptr;
    }
    if (!made.fd.IsValid()) return nullptr;
    made.path = made.trustedBase + made.name + "/";
    m_made.push_back(std::move(made));
    return &m_made.back();
  }

  const MadeFolder* Holding(const std::string& path) const {
    for (const MadeFolder& made : m_made) {
      if (path.size() > made.path.size() && path.compare(0, made.path.size(), made.path) == 0 &&
          path.find('/', made.path.size()) == std::string::npos)
        return &made;
    }
    return nullptr;
  }

 private:
  std::vector<MadeFolder> m_made;
};

PrivateTempFolders& Folders() {
  static PrivateTempFolders folders;
  return folders;
}

}  // namespace

namespace posix {

Located Locate(const std::string& path) {
  if (const MadeFolder* made = Folders().Holding(path)) return {made->fd.Get(), path.substr(made->path.size())};
  return {AT_FDCWD, path};
}

}  // namespace posix

// The temporary names are predictable (the time and a small random number),
// so they never stand in the shared temporary folder itself, where another
// user could plant a link under the next one: they live in a folder of the
// program's own made there (0700, a name nobody can guess), whose files are
// reached through its descriptor only.
bool GetTempFolder(std::string& folder) {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  if (base.back() != '/') base += '/';
  if (base.size() + 20 > 259) return false;
  const MadeFolder* made = Folders().Get(base);
  if (made == nullptr) return false;
  folder = made->path;
  return true;
}

}  // namespace platform
