// The Linux counterparts of fixed drives and folder listings.
//
// A "fixed drive" is the mount point of a local file system on a disk, taken
// from /proc/self/mountinfo: pseudo file systems (proc, sysfs, tmpfs...),
// network file systems and removable disks are left out, and so is a mount
// that only shows again a folder already inside another listed mount (a bind
// mount), so that no folder is walked twice. The root file system always
// counts, whatever its type (overlay in a container, for one).
//
// A folder listing leaves out what Windows would not show or what would let
// a walk run away: symbolic links (a link to a folder can make a loop, a link
// to a file would let the same font be found twice), sub-folders that are
// mount points (a mounted file system is walked from its own root, if it is
// a fixed drive at all, never from the folder it hangs on), and anything that
// is neither a folder nor a regular file (opening a FIFO would block).
#include "platform/Drives.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/posix/FileDescriptor.h"
#include "platform/posix/MountTable.h"

namespace platform {
namespace {

bool ReadFirstChar(const std::string& path, char& c) {
  std::ifstream in(path);
  return static_cast<bool>(in.get(c));
}

// Whether the block device under the mount says it is removable (the disk of
// a partition says it for the partition).
bool IsRemovable(const std::string& device) {
  const std::string base = "/sys/dev/block/" + device;
  char flag = '0';
  if (ReadFirstChar(base + "/removable", flag) || ReadFirstChar(base + "/../removable", flag)) return flag == '1';
  return false;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool detail::RealListLogicalDrives(std::vector<Drive>& drives) {
  drives.clear();
  std::ifstream table("/proc/self/mountinfo");
  if (!table) return false;
  std::ostringstream text;
  text << table.rdbuf();
  const std::vector<detail::MountEntry> mounts = detail::ParseMountInfo(text.str());
  // A file bind-mounted over a file (as containers do with /etc/hosts) is no
  // drive; the root counts even on a removable disk.
  const auto usable = [](const detail::MountEntry& mount) {
    return IsFolder(mount.point) && (mount.point == "/" || !IsRemovable(mount.device));
  };
  for (std::string& root : detail::ChooseFixedDrives(mounts, usable)) drives.push_back({std::move(root), kDriveFixed});
  return true;
}

struct FolderListing::Impl {
  DIR* dir = nullptr;
  dev_t device = 0;
};

FolderListing::FolderListing(const std::string& folder) : m_impl(std::make_unique<Impl>()) {
  // A folder swapped for a link since its parent was listed is not entered
  // (O_NOFOLLOW works on the last component only without its trailing '/').
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  posix::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.IsValid()) return;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return;
  m_impl->device = info.st_dev;
  m_impl->dir = ::fdopendir(fd.Get());
  if (m_impl->dir != nullptr) fd.Release();  // the listing owns it now
}

FolderListing::~FolderListing() {
  if (m_impl->dir != nullptr) ::closedir(m_impl->dir);
}

bool FolderListing::IsOpen() const { return m_impl->dir != nullptr; }

bool FolderListing::Next(FolderEntry& entry) {
  if (m_impl->dir == nullptr) return false;
  for (;;) {
    const dirent* found = ::readdir(m_impl->dir);
    if (found == nullptr) return false;
    const char* name = found->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
      entry.name = name;
      entry.attributes = kAttributeFolder;
      return true;
    }
    // The listing's own type saves a look at each file; only folders, and
    // entries of a file system that gives no type, are looked at.
    if (found->d_type == DT_REG) {
      entry.name = name;
      entry.attributes = 0;
      return true;
    }
    if (found->d_type != DT_DIR && found->d_type != DT_UNKNOWN) continue;
    const int dirFd = ::dirfd(m_impl->dir);
    struct stat info {};
    if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    if (S_ISDIR(info.st_mode)) {
      if (info.st_dev != m_impl->device) continue;
#ifdef STATX_ATTR_MOUNT_ROOT
      // A bind mount of a folder of the same file system has the same device.
      struct statx extended {};
      if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &extended) == 0 &&
          (extended.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
          (extended.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0)
        continue;
#endif
      entry.attributes = kAttributeFolder;
    } else if (S_ISREG(info.st_mode)) {
      entry.attributes = 0;
    } else {
      continue;
    }
    entry.name = name;
    return true;
  }
}

bool FolderListing::IsReadOnly(const FolderEntry& entry) const {
  if (m_impl->dir == nullptr) return true;
  struct stat info {};
  if (::fstatat(::dirfd(m_impl->dir), entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
    return true;
  }
  // Read-only as Windows means it: nobody may write, not even the owner.
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace platform
