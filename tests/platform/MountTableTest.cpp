// Which mounts stand for fixed drives on Linux, on made-up mount tables of a
// container, a desktop and a few awkward cases.
#include <gtest/gtest.h>

#include <set>

#include "platform/posix/MountTable.h"

namespace {

using platform::detail::ChooseFixedDrives;
using platform::detail::MountEntry;
using platform::detail::ParseMountInfo;
using Roots = std::vector<std::string>;

Roots Choose(const std::string& table, const std::set<std::string>& unusable = {}) {
  return ChooseFixedDrives(ParseMountInfo(table),
                           [&](const MountEntry& mount) { return unusable.count(mount.point) == 0; });
}

TEST(MountTable, AContainerHasItsOverlayRootAndItsVolumes) {
  const std::string table =
      "500 400 0:52 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/x,upperdir=/y\n"
      "501 500 0:55 / /proc rw,nosuid - proc proc rw\n"
      "502 500 0:56 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k\n"
      "503 500 0:57 / /sys ro,nosuid - sysfs sysfs ro\n"
      "504 500 8:1 /var/lib/docker/containers/abc/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"
      "505 500 8:1 /home/user/project /work rw - ext4 /dev/sda1 rw\n"
      "506 500 0:60 / /var/lib/docker/overlay2/l/merged rw - overlay overlay rw\n";
  // /etc/hosts is a file: the caller's check says it is no folder.
  EXPECT_EQ(Choose(table, {"/etc/hosts"}), (Roots{"/", "/work/"}));
}

TEST(MountTable, ADesktopHasItsDisksButNotItsPseudoNetworkOrRemovableOnes) {
  const std::string table =
      "22 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
      "23 22 0:21 / /proc rw - proc proc rw\n"
      "24 22 0:22 / /sys rw - sysfs sysfs rw\n"
      "25 22 0:5 / /dev rw - devtmpfs udev rw\n"
      "26 22 0:25 / /run rw - tmpfs tmpfs rw\n"
      "27 22 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
      "28 22 0:40 /@home /home rw - btrfs /dev/sdb1 rw\n"
      "29 22 7:3 / /snap/core/1 ro - squashfs /dev/loop3 ro\n"
      "30 22 0:50 / /mnt/nas rw - nfs4 nas:/export rw\n"
      "31 22 0:51 / /mnt/share rw - cifs //srv/share rw\n"
      "32 22 0:52 / /mnt/remote rw - fuse.sshfs me@host: rw\n"
      "33 22 8:33 / /media/me/STICK rw - vfat /dev/sdc1 rw\n"
      "34 22 8:49 / /mnt/windows rw - fuseblk /dev/sdd1 rw\n"
      "35 22 0:30 / /tmp rw - tmpfs tmpfs rw\n";
  EXPECT_EQ(Choose(table, {"/media/me/STICK"}), (Roots{"/", "/boot/efi/", "/home/", "/mnt/windows/"}));
}

TEST(MountTable, EveryFolderIsWalkedFromOneDriveOnly) {
  const std::string table =
      "1 0 8:3 / / rw - ext4 /dev/sda3 rw\n"
      "2 1 8:3 /srv/data /data rw - ext4 /dev/sda3 rw\n"  // inside / of the same disk
      "3 1 8:4 /a /x rw - xfs /dev/sda4 rw\n"
      "4 1 8:4 /b /y rw - xfs /dev/sda4 rw\n"     // a different folder of that disk
      "5 1 8:4 /a /x2 rw - xfs /dev/sda4 rw\n"    // the same folder again
      "6 1 8:5 /sub /p rw - ext4 /dev/sda5 rw\n"  // covered by the next one
      "7 1 8:5 / /q rw - ext4 /dev/sda5 rw\n"
      "8 1 8:6 /deep/er /r rw - ext4 /dev/sda6 rw\n"
      "9 1 8:6 /deep /s rw - ext4 /dev/sda6 rw\n"
      "10 1 8:6 /deeper /t rw - ext4 /dev/sda6 rw\n";  // a name that only begins like /deep
  EXPECT_EQ(Choose(table), (Roots{"/", "/x/", "/y/", "/q/", "/s/", "/t/"}));
}

TEST(MountTable, OnlyTheLastMountOnAPointCounts) {
  EXPECT_EQ(Choose("1 0 8:1 / / rw - ext4 a rw\n2 1 8:2 / /mnt/disk rw - ext4 b rw\n"
                   "3 1 0:9 / /mnt/disk rw - tmpfs t rw\n"),
            (Roots{"/"}));
  EXPECT_EQ(Choose("1 0 8:1 / / rw - ext4 a rw\n2 1 0:9 / /mnt/disk rw - tmpfs t rw\n"
                   "3 1 8:2 / /mnt/disk rw - ext4 b rw\n"),
            (Roots{"/", "/mnt/disk/"}));
}

TEST(MountTable, TheRootAlwaysCountsAndNamesAreDecoded) {
  EXPECT_EQ(Choose("1 0 0:2 / / rw - tmpfs rootfs rw\n2 1 8:1 / /mnt/my\\040disk rw - ext4 a rw\n"),
            (Roots{"/", "/mnt/my disk/"}));
  // Lines that do not parse are passed over.
  EXPECT_EQ(Choose("garbage\n1 0 8:1 / / rw shared:1\n2 1 8:1 / /home rw - xfs a rw\n\n"), (Roots{"/home/"}));
  EXPECT_TRUE(Choose("").empty());
}

}  // namespace
