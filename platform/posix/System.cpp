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
#include <string>
#include <utility>

#include "platform/Files.h"
#include "platform/ReachedFiles.h"
#include "platform/Runtime.h"
#include "platform/SystemServices.h"
#include "platform/posix/ElevatedEnvironment.h"
#include "platform/posix/FileDescriptor.h"

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

// fontconfig's cache folders: the system's, the one this process's
// environment names (under sudo, root's), root's by its home, and the
// invoking user's under sudo; each once.
std::vector<std::string> FontCacheFolders() {
  std::vector<std::string> folders = {"/var/cache/fontconfig/"};
  const std::string own = UserCacheFolder();
  if (!own.empty()) folders.push_back(own + "/fontconfig/");
  if (const passwd* root = ::getpwuid(0); root != nullptr && root->pw_dir != nullptr && root->pw_dir[0] == '/')
    folders.push_back(std::string(root->pw_dir) + "/.cache/fontconfig/");
  if (const char* invoker = std::getenv("SUDO_USER"); invoker != nullptr && invoker[0] != '\0') {
    const passwd* user = ::getpwnam(invoker);
    if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/')
      folders.push_back(std::string(user->pw_dir) + "/.cache/fontconfig/");
  }
  std::vector<std::string> once;
  for (const std::string& folder : folders) {
    if (std::find(once.begin(), once.end(), folder) == once.end()) once.push_back(folder);
  }
  return once;
}

class RealActions : public SystemActions {
 public:
  void ResetFontCache() override {
    // Each cache folder is reached without a link: a user's own cache
    // folder made a link to another folder gets nothing deleted there.
    for (const std::string& folder : FontCacheFolders()) RemoveFilesNamedLike(folder, ".cache-");
  }

  void Restart() override {
    // systemctl by its full path, with the system's search path and nothing
    // else of this process's environment: a PATH or a setting of a user's
    // could otherwise choose what runs as root. The result is not looked
    // at: a refused restart leaves the system running and the program ends
    // as usual.
    for (const char* path : {"/usr/bin/systemctl", "/bin/systemctl"}) {
      struct stat info {};
      if (::stat(path, &info) != 0 || info.st_uid != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) continue;
      char program[] = "systemctl";
      char command[] = "reboot";
      char* arguments[] = {program, command, nullptr};
      std::string pathSetting = std::string("PATH=") + posix::kSystemPath;
      char* environment[] = {pathSetting.data(), nullptr};
      pid_t child = 0;
      if (::posix_spawn(&child, path, nullptr, nullptr, arguments, environment) == 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
      }
      return;
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
  bool refused = false;
};

// The lock is an flock on a file named after `name`. flock belongs to the open file,
// so a second lock object sees the first even in the same process, and the
// descriptor is not inherited by programs this one starts. The file is never
// removed: removing it would let two copies lock two different files.
SingleInstanceLock::SingleInstanceLock(const std::string& name) : m_impl(std::make_unique<Impl>()) {
  std::string fileName = name.empty() ? std::string("unnamed") : name;
  std::replace(fileName.begin(), fileName.end(), '/', '_');
  // Root's lock is in /run, a folder only root writes, and only root may
  // open it (0600): a user who could take the lock would stop the updater.
  // Everyone else's is in /tmp; such a run revises nothing anyway.
  const uid_t self = ::geteuid();
  const std::string folderPath = self == 0 && IsFolder("/run") ? "/run/" : "/tmp/";
  posix::FileDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat folderInfo {};
  if (!folder.IsValid() || ::fstat(folder.Get(), &folderInfo) != 0) return;  // the program goes on unguarded
  if (self == 0 && (folderInfo.st_uid != 0 || (folderInfo.st_mode & (S_IWGRP | S_IWOTH)) != 0)) {
    m_impl->refused = true;
    return;
  }
  posix::FileDescriptor fd(::openat(folder.Get(), (fileName + ".lock").c_str(),
                                    O_RDONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
  if (!fd.IsValid()) {
    m_impl->refused = errno == ELOOP;  // a link in the lock's place
    return;
  }
  // What was opened must be the lock this program makes: a regular file of
  // its own, that nobody else may open. One an earlier version left open to
  // all is closed now; whoever opened it meanwhile and holds it is seen below.
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != self ||
      ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::fchmod(fd.Get(), 0600) != 0)) {
    m_impl->refused = true;
    return;
  }
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

bool SingleInstanceLock::Refused() const { return m_impl->refused; }

// There is no file-system redirection to switch off.
Wow64FsRedirectionGuard::Wow64FsRedirectionGuard() = default;
Wow64FsRedirectionGuard::~Wow64FsRedirectionGuard() = default;

std::vector<std::string> FontCacheFiles() {
  std::vector<std::string> files;
  for (const std::string& folder : FontCacheFolders()) AddCacheFiles(folder, files);
  return files;
}

}  // namespace platform
