// The switch between the system's drives and the ones a test installs.
#include "platform/Drives.h"

namespace platform {
namespace {

const std::vector<Drive>*& InstalledDrives() {
  static const std::vector<Drive>* drives = nullptr;
  return drives;
}

}  // namespace

bool ListLogicalDrives(std::vector<Drive>& drives) {
  if (const std::vector<Drive>* installed = InstalledDrives()) {
    drives = *installed;
    return true;
  }
  return detail::RealListLogicalDrives(drives);
}

void SetDriveListOverride(const std::vector<Drive>* drives) { InstalledDrives() = drives; }

}  // namespace platform
