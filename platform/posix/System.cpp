// The Linux side of the program's start and end: a lock file in place of the
// named mutex, the version and rights answers, fontconfig's caches as the
// font cache, and a restart through systemd.
#include "platform/System.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/SystemServices.h"
#include "platform/posix/FileDescriptor.h"

extern char** environ;

namespace platform {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// fontconfig names its caches "<hash>-<arch>.cache-<version>".
void AddCacheFiles(const std::string& folder, std::vector<std::string>& files) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> found;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.find(".cache-") == std::string::npos) continue;
    struct stat info {};
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
      found.push_back(folder + name);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  files.insert(files.end(), found.begin(), found.end());
}

std::string UserCacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return cache;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache";
  return std::string();
}

class RealActions : public SystemActions {
 public:
  void ResetFontCache() override {
    for (const std::string& path : FontCacheFiles()) RemoveFile(path);
  }

  void Restart() override {
    // The result is not looked at: a refused restart leaves the system
    // running and the program ends as usual.
    char program[] = "systemctl";
    char command[] = "reboot";
    char* arguments[] = {program, command, nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) == 0) {
      int status = 0;
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
    }
  }

  void BroadcastFontChange() override {}
};

}  // namespace

namespace detail {

// Linux counts as the newest Windows the program knows.
bool RealGetOsVersion(OsVersion& version) {
  version.platformId = 2;
  version.major = 10;
  version.minor = 0;
  return true;
}

bool RealIsUserAdministrator() { return ::geteuid() == 0; }

SystemActions& RealSystemActions() {
  static RealActions actions;
  return actions;
}

}  // namespace detail

std::string ExecutableBaseName() {
  std::string buffer(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::string();
  buffer.resize(static_cast<std::size_t>(length));
  return SplitPath(buffer).baseName;
}

struct SingleInstanceLock::Impl {
  posix::FileDescriptor fd;
  bool anotherCopy = false;
};

// The lock is an flock on a file named after `name`. flock belongs to the open file,
// so a second lock object sees the first even in the same process, and the
// descriptor is not inherited by programs this one starts. The file is never
// removed: removing it would let two copies lock two different files.
SingleInstanceLock::SingleInstanceLock(const std::string& name) : m_impl(std::make_unique<Impl>()) {
  std::string fileName = name.empty() ? std::string("unnamed") : name;
  std::replace(fileName.begin(), fileName.end(), '/', '_');
  // One lock for the whole machine, whoever runs the program: root's in
  // /run, where nobody else can plant a file, everyone else's in /tmp. flock
  // needs no write access, so a file another user made still serves.
  const std::string path = (::geteuid() == 0 && IsFolder("/run") ? "/run/" : "/tmp/") + fileName + ".lock";
  posix::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!fd.IsValid()) return;  // without a lock the program goes on unguarded
  int result = 0;
  while ((result = ::flock(fd.Get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result == 0) {
    m_impl->fd = std::move(fd);
    return;
  }
  m_impl->anotherCopy = errno == EWOULDBLOCK;
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::AnotherCopyRunning() const { return m_impl->anotherCopy; }

// There is no file-system redirection to switch off.
Wow64FsRedirectionGuard::Wow64FsRedirectionGuard() = default;
Wow64FsRedirectionGuard::~Wow64FsRedirectionGuard() = default;

std::vector<std::string> FontCacheFiles() {
  std::vector<std::string> files;
  AddCacheFiles("/var/cache/fontconfig/", files);
  // The user's own caches: the one this process's environment names (under
  // sudo, root's), root's by its home, and the invoking user's under sudo.
  std::vector<std::string> folders;
  const std::string own = UserCacheFolder();
  if (!own.empty()) folders.push_back(own + "/fontconfig/");
  if (const passwd* root = ::getpwuid(0); root != nullptr && root->pw_dir != nullptr && root->pw_dir[0] == '/')
    folders.push_back(std::string(root->pw_dir) + "/.cache/fontconfig/");
  if (const char* invoker = std::getenv("SUDO_USER"); invoker != nullptr && invoker[0] != '\0') {
    const passwd* user = ::getpwnam(invoker);
    if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/')
      folders.push_back(std::string(user->pw_dir) + "/.cache/fontconfig/");
  }
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (std::find(folders.begin(), folders.begin() + static_cast<std::ptrdiff_t>(i), folders[i]) ==
        folders.begin() + static_cast<std::ptrdiff_t>(i))
      AddCacheFiles(folders[i], files);
  }
  return files;
}

}  // namespace platform
