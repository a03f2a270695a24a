// The logical drives and folder listings that the font search walks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr std::uint32_t kAttributeReadOnly = 0x01;
constexpr std::uint32_t kAttributeFolder = 0x10;
constexpr unsigned kDriveFixed = 3;  // DRIVE_FIXED

struct Drive {
  std::string root;  // "C:\" on Windows, a mount point ending in '/' on Linux
  unsigned type;     // kDriveFixed for a fixed drive
};

// Every logical drive in the system's order (Windows: GetLogicalDriveStringsA
// and GetDriveTypeA, asked again with a larger buffer should 260 bytes not
// hold the list; Linux: the mount points of local disk file systems, each
// folder once, all of type fixed, the root file system always among them).
// False when the system gives no list.
bool ListLogicalDrives(std::vector<Drive>& drives);

// Tests: the drives ListLogicalDrives reports in place of the system's (not
// owned); nullptr goes back to the system's.
void SetDriveListOverride(const std::vector<Drive>* drives);

namespace detail {
bool RealListLogicalDrives(std::vector<Drive>& drives);
}  // namespace detail

struct FolderEntry {
  std::string name;
  std::uint32_t attributes;  // kAttributeFolder, kAttributeReadOnly
};

// One listing of a folder ("." and ".." included where the system lists
// them). On Windows the attributes are all of the system's bits; folders
// that are reparse points (junctions, links) are left out, and so is a name
// that the ANSI code page cannot carry exactly (the narrow file functions
// would reach another file by it). On Linux
// symbolic links, sub-folders that are mount points and anything that is
// neither a folder nor a regular file are left out, so that a walk never
// loops, never leaves its drive and never opens a FIFO; and a file's
// read-only bit, which costs a look at the file itself there, is not among
// the attributes of Next: IsReadOnly tells it for the files that matter.
class FolderListing {
 public:
  explicit FolderListing(const std::string& folder);  // folder ends with a separator
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  bool IsOpen() const;
  bool Next(FolderEntry& entry);
  // Whether the file `entry` (from Next) is read-only as Windows means it;
  // on Linux when its mode has no write bit at all, and also when it is gone
  // or no longer a regular file.
  bool IsReadOnly(const FolderEntry& entry) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
