// Choosing the fixed drives from the mount table.
#include "platform/posix/MountTable.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace platform::detail {
namespace {

// Mount fields escape space, tab, newline and backslash as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' && field[i + 2] >= '0' &&
        field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// One line: id parent major:minor root point options [optional...] - type source super-options
bool ParseMountLine(const std::string& line, MountEntry& mount) {
  std::istringstream fields(line);
  std::string id, parent, device, root, point, options, field;
  if (!(fields >> id >> parent >> device >> root >> point >> options)) return false;
  while (fields >> field && field != "-") {
  }
  if (field != "-" || !(fields >> mount.type)) return false;
  mount.device = device;
  mount.root = Unescape(root);
  mount.point = Unescape(point);
  return !mount.point.empty() && mount.point.front() == '/';
}

bool IsDiskFileSystem(const std::string& type) {
  static const std::set<std::string> kTypes = {
      "ext2",   "ext3", "ext4",  "xfs",   "btrfs", "f2fs",  "jfs", "reiserfs", "zfs", "bcachefs",
      "nilfs2", "vfat", "msdos", "exfat", "ntfs",  "ntfs3", "hfs", "hfsplus",  "ufs", "fuseblk",
  };
  return kTypes.count(type) != 0;
}

// `inner` lies in `outer` (both folders of one file system).
bool Contains(const std::string& outer, const std::string& inner) {
  if (outer == "/" || outer == inner) return true;
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '/';
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  std::vector<MountEntry> mounts;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    MountEntry mount;
    if (ParseMountLine(line, mount)) mounts.push_back(std::move(mount));
  }
  return mounts;
}

std::vector<std::string> ChooseFixedDrives(const std::vector<MountEntry>& mounts,
                                           const std::function<bool(const MountEntry&)>& usable) {
  std::vector<MountEntry> fixed;
  for (std::size_t i = 0; i < mounts.size(); ++i) {
    const MountEntry& mount = mounts[i];
    const bool hidden = std::any_of(mounts.begin() + static_cast<std::ptrdiff_t>(i) + 1, mounts.end(),
                                    [&](const MountEntry& later) { return later.point == mount.point; });
    if (hidden) continue;
    if (mount.point != "/" && !IsDiskFileSystem(mount.type)) continue;
    if (!usable(mount)) continue;
    fixed.push_back(mount);
  }
  std::vector<std::string> roots;
  for (std::size_t i = 0; i < fixed.size(); ++i) {
    bool covered = false;
    for (std::size_t j = 0; j < fixed.size() && !covered; ++j) {
      if (i == j || fixed[i].device != fixed[j].device || !Contains(fixed[j].root, fixed[i].root)) continue;
      // The same folder twice: the first one stays.
      covered = fixed[i].root != fixed[j].root || j < i;
    }
    if (covered) continue;
    std::string root = fixed[i].point;
    if (root.back() != '/') root += '/';
    roots.push_back(std::move(root));
  }
  return roots;
}

}  // namespace platform::detail
