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

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace platform {
namespace {

struct Mount {
  std::string device;  // "major:minor"
  std::string root;    // the folder of the file system that the mount shows
  std::string point;
  std::string type;
};

// Mount fields escape space, tab, newline and backslash as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// One line: id parent major:minor root point options [optional...] - type source super-options
bool ParseMountLine(const std::string& line, Mount& mount) {
  std::istringstream fields(line);
  std::string id, parent, device, root, point, options, field;
  if (!(fields >> id >> parent >> device >> root >> point >> options)) return false;
  while (fields >> field && field != "-") {
  }
  if (field != "-" || !(fields >> mount.type)) return false;
  mount.device = device;
  mount.root = Unescape(root);
  mount.point = Unescape(point);
  return true;
}

bool IsDiskFileSystem(const std::string& type) {
  static const std::set<std::string> kTypes = {
      "ext2", "ext3", "ext4",    "xfs",  "btrfs", "f2fs",  "jfs",   "reiserfs", "zfs",     "bcachefs", "nilfs2",
      "vfat", "msdos", "exfat",  "ntfs", "ntfs3", "hfs",   "hfsplus", "ufs",    "fuseblk",
  };
  return kTypes.count(type) != 0;
}

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

// `inner` lies in `outer` (both absolute folders of one file system).
bool Contains(const std::string& outer, const std::string& inner) {
  if (outer == "/" || outer == inner) return true;
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '/';
}

}  // namespace

bool ListLogicalDrives(std::vector<Drive>& drives) {
  drives.clear();
  std::ifstream table("/proc/self/mountinfo");
  if (!table) return false;
  std::vector<Mount> mounts;
  std::string line;
  while (std::getline(table, line)) {
    Mount mount;
    if (ParseMountLine(line, mount)) mounts.push_back(std::move(mount));
  }
  // A later mount on the same point hides the earlier one.
  std::vector<Mount> visible;
  for (std::size_t i = 0; i < mounts.size(); ++i) {
    const bool hidden = std::any_of(mounts.begin() + static_cast<std::ptrdiff_t>(i) + 1, mounts.end(),
                                    [&](const Mount& later) { return later.point == mounts[i].point; });
    if (!hidden) visible.push_back(mounts[i]);
  }
  std::vector<Mount> fixed;
  for (const Mount& mount : visible) {
    const bool isRoot = mount.point == "/";
    if (!isRoot && (!IsDiskFileSystem(mount.type) || IsRemovable(mount.device))) continue;
    if (!IsFolder(mount.point)) continue;  // a file bind-mounted over a file
    fixed.push_back(mount);
  }
  for (std::size_t i = 0; i < fixed.size(); ++i) {
    bool covered = false;
    for (std::size_t j = 0; j < fixed.size() && !covered; ++j) {
      if (i == j || fixed[i].device != fixed[j].device || !Contains(fixed[j].root, fixed[i].root)) continue;
      // The same folder twice: the first one stays.
      covered = fixed[i].root != fixed[j].root || j < i;
    }
    if (covered) continue;
    Drive drive;
    drive.root = fixed[i].point;
    if (drive.root.back() != '/') drive.root += '/';
    drive.type = kDriveFixed;
    drives.push_back(std::move(drive));
  }
  return true;
}

struct FolderListing::Impl {
  DIR* dir = nullptr;
  dev_t device = 0;
};

FolderListing::FolderListing(const std::string& folder) : m_impl(std::make_unique<Impl>()) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    ::close(fd);
    return;
  }
  m_impl->device = info.st_dev;
  m_impl->dir = ::fdopendir(fd);
  if (m_impl->dir == nullptr) ::close(fd);
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
    const int dirFd = ::dirfd(m_impl->dir);
    struct stat info {};
    if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
    std::uint32_t attributes = 0;
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
      attributes = kAttributeFolder;
    } else if (!S_ISREG(info.st_mode)) {
      continue;
    }
    // Read-only as Windows means it: nobody may write, not even the owner.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttributeReadOnly;
    entry.name = name;
    entry.attributes = attributes;
    return true;
  }
}

}  // namespace platform
