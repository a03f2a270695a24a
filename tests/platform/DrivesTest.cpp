// The drive list and folder listings that the font search walks, on the real
// file system.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/ReachedFiles.h"
#include "tests/support/TestFiles.h"

namespace {

using platform::kAttributeFolder;

struct Seen {
  bool folder;
  bool readOnly;
  bool operator==(const Seen& other) const { return folder == other.folder && readOnly == other.readOnly; }
};

// Walks `folder` as the search walks it, recording every entry below it by
// its path relative to `folder` ('/'-separated).
void Walk(const std::string& folder, const std::string& relative, std::map<std::string, Seen>& seen) {
  platform::FolderListing listing(folder);
  ASSERT_TRUE(listing.IsOpen()) << folder;
  platform::FolderEntry entry;
  std::set<std::string> names;
  while (listing.Next(entry)) {
    EXPECT_TRUE(names.insert(entry.name).second) << "listed twice: " << entry.name;
    if (entry.name == "." || entry.name == "..") {
      EXPECT_NE(entry.attributes & kAttributeFolder, 0u);
      continue;
    }
    const bool isFolder = (entry.attributes & kAttributeFolder) != 0;
    seen[relative + entry.name] = {isFolder, !isFolder && listing.IsReadOnly(entry)};
    if (isFolder) Walk(folder + entry.name + platform::kPathSeparator, relative + entry.name + "/", seen);
  }
}

void Touch(const std::string& path) { test_support::WriteBytes(path, {'x'}); }

TEST(Drives, FixedDrivesAreListedOnceEachEndingWithASeparator) {
  std::vector<platform::Drive> drives;
  ASSERT_TRUE(platform::ListLogicalDrives(drives));
  std::set<std::string> roots;
  bool anyFixed = false;
  for (const platform::Drive& drive : drives) {
    ASSERT_FALSE(drive.root.empty());
    EXPECT_EQ(drive.root.back(), platform::kPathSeparator) << drive.root;
    EXPECT_TRUE(roots.insert(drive.root).second) << "listed twice: " << drive.root;
    if (drive.type == platform::kDriveFixed) {
      anyFixed = true;
      EXPECT_TRUE(platform::FolderListing(drive.root).IsOpen()) << drive.root;
    }
  }
  EXPECT_TRUE(anyFixed);
#ifdef _WIN32
  EXPECT_EQ(roots.count("C:\\"), 1u);
#else
  // The root file system always counts, whatever it is mounted from; the
  // pseudo file systems never do.
  EXPECT_EQ(roots.count("/"), 1u);
  EXPECT_EQ(roots.count("/proc/"), 0u);
  EXPECT_EQ(roots.count("/sys/"), 0u);
  EXPECT_EQ(roots.count("/dev/"), 0u);
#endif
}

TEST(FolderListing, ListsATreeWithFoldersAndReadOnlyFiles) {
  test_support::ScratchFolder scratch;
  const std::string root = scratch.Path();
  const char sep = platform::kPathSeparator;
  Touch(root + "font.otf");
  Touch(root + "locked.otf");
  std::filesystem::permissions(
      root + "locked.otf",
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
      std::filesystem::perm_options::remove);
  std::string deep = root;
  std::string relative;
  std::map<std::string, Seen> expected = {{"font.otf", {false, false}}, {"locked.otf", {false, true}}};
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h", "i"}) {
    deep += std::string(name) + sep;
    relative += std::string(name);
    ASSERT_TRUE(std::filesystem::create_directory(deep));
    expected[relative] = {true, false};
    relative += "/";
  }
  Touch(deep + "bottom.otf");
  expected[relative + "bottom.otf"] = {false, false};

  std::map<std::string, Seen> seen;
  Walk(root, "", seen);
  EXPECT_EQ(seen, expected);
}

TEST(FolderListing, NamesComeBackByteForByte) {
  test_support::ScratchFolder scratch;
#ifdef _WIN32
  // "ソフト.otf" in Shift-JIS: the trail byte of "ソ" is 0x5C.
  const std::string name = "\x83\x5c\x83\x74\x83\x67.otf";
#else
  const std::string name = "\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88.otf";
#endif
  test_support::WriteBytes(scratch.File(name), {'x'});
#ifdef _WIN32
  // Names that code page 932 cannot carry exactly are left out: narrowed,
  // "\u0101" would come back as 'a' or '?' and "\u00a5" as '\\'.
  for (const wchar_t* other : {L"a\u0101.otf", L"b\u00a5c.otf"}) {
    std::ofstream(std::filesystem::path(scratch.Path()) / other) << 'x';
  }
#endif
  platform::FolderListing listing(scratch.Path());
  platform::FolderEntry entry;
  std::set<std::string> names;
  while (listing.Next(entry)) {
    if (entry.name != "." && entry.name != "..") names.insert(entry.name);
  }
  EXPECT_EQ(names, std::set<std::string>{name});
  EXPECT_TRUE(platform::FileExists(scratch.File(name)));
#ifdef _WIN32
  // Found there, "表.otf" in that folder is reached again by its identity:
  // the 0x5C trail bytes of "ソ" and "表" separate nothing.
  const std::string folder = scratch.File("\x83\x5c\x83\x74\x83\x67");
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string font = folder + "\\\x95\x5c.otf";
  test_support::WriteBytes(font, {'x', 'y'});
  platform::FileReader first;
  ASSERT_TRUE(first.Open(font));
  EXPECT_EQ(first.Identity().name, "\x95\x5c.otf");
  EXPECT_EQ(first.Identity().Path(), font);
  platform::FileReader again;
  ASSERT_TRUE(again.Open(first.Identity()));
  EXPECT_EQ(again.Size(), 2u);
#endif
}

TEST(FolderListing, AFolderThatCannotBeListedDoesNotOpen) {
  test_support::ScratchFolder scratch;
  platform::FolderListing listing(scratch.File("missing") + platform::kPathSeparator);
  EXPECT_FALSE(listing.IsOpen());
  platform::FolderEntry entry;
  EXPECT_FALSE(listing.Next(entry));
}

#ifndef _WIN32
TEST(FolderListing, LinksAndSpecialFilesAreLeftOut) {
  test_support::ScratchFolder scratch;
  std::filesystem::create_directory(scratch.File("real"));
  Touch(scratch.File("real/font.otf"));
  std::filesystem::create_directory_symlink(scratch.Path(), scratch.File("real/loop"));
  std::filesystem::create_symlink(scratch.File("real/font.otf"), scratch.File("alias.otf"));
  ASSERT_EQ(::mkfifo(scratch.File("pipe.otf").c_str(), 0644), 0);

  std::map<std::string, Seen> seen;
  Walk(scratch.Path(), "", seen);
  const std::map<std::string, Seen> expected = {{"real", {true, false}}, {"real/font.otf", {false, false}}};
  EXPECT_EQ(seen, expected);

  // A FIFO named like a font is refused, not waited on, for reading and for
  // copying over.
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(platform::ReadWholeFile(scratch.File("pipe.otf"), bytes));
  EXPECT_FALSE(platform::CopyFileOver(scratch.File("real/font.otf"), scratch.File("pipe.otf")));
}

TEST(FolderListing, FoldersWithOtherFileSystemsMountedAreNotEntered) {
  // /proc and /sys are always mounted: walking into them from / would read
  // the kernel's pseudo files.
  platform::FolderListing listing("/");
  ASSERT_TRUE(listing.IsOpen());
  platform::FolderEntry entry;
  std::set<std::string> names;
  while (listing.Next(entry)) names.insert(entry.name);
  EXPECT_EQ(names.count("proc"), 0u);
  EXPECT_EQ(names.count("sys"), 0u);
  EXPECT_EQ(names.count("usr"), 1u);
}
#endif

}  // namespace
