// Reading /proc/self/mountinfo and choosing the mounts that stand for fixed
// drives on Linux. Kept apart from the system calls so that the choice can be
// tested on made-up tables.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform::detail {

struct MountEntry {
  std::string device;  // "major:minor"
  std::string root;    // the folder of the file system that the mount shows
  std::string point;   // where it is mounted
  std::string type;    // "ext4", "proc", "overlay"...
};

// The lines of a mountinfo text in order; lines that do not parse are left
// out. Escaped characters (\040 for a space...) are decoded.
std::vector<MountEntry> ParseMountInfo(const std::string& text);

// The mount points that count as fixed drives, in table order, each folder
// once: visible mounts (a later mount on the same point hides an earlier
// one) of local disk file systems, plus the root file system whatever its
// type; a mount that shows a folder already inside another chosen mount of
// the same device (a bind mount) is left out. `usable` says whether a mount
// point is a folder on a disk that is not removable; the root is asked too.
std::vector<std::string> ChooseFixedDrives(const std::vector<MountEntry>& mounts,
                                           const std::function<bool(const MountEntry&)>& usable);

}  // namespace platform::detail
