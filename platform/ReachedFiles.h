// Reaching a file again. The program runs elevated over folders that other
// users write, so a file the search found is read, replaced or deleted later
// only as the very file the search saw: FileIdentity carries what the search
// saw (Linux: device and inode of the file and of its folder; Windows: volume
// serial number and file index), and every operation here checks it on what
// it opened, never following a link (Linux: the folder opened component by
// component with O_NOFOLLOW | O_DIRECTORY and the *at calls relative to it;
// Windows: handles opened with FILE_FLAG_OPEN_REPARSE_POINT). A check that
// fails leaves the file alone.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct FileIdentity {
  std::string folder;  // as the search met it, ending with a separator
  std::string name;    // the file's name in that folder
  std::uint64_t folderVolume = 0;
  std::uint64_t folderIndex = 0;
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool known = false;  // false until a FileReader opened the file

  std::string Path() const { return folder + name; }
  // Whether both name the same file, whatever the paths they were reached by.
  bool SameFileAs(const FileIdentity& other) const {
    return known && other.known && volume == other.volume && index == other.index;
  }
};

// One regular file open for reading, with the identity of what was opened.
// Never a link, a device, a FIFO or a folder.
class FileReader {
 public:
  FileReader();
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // Opens the file at `path`, not following a link in its last component.
  bool Open(const std::string& path);
  // Opens the file `identity` names, reached without any link and checked:
  // false when its folder or the file is not the one recorded.
  bool Open(const FileIdentity& identity);

  std::uint64_t Size() const;
  // Exactly `out.size()` bytes from `offset`; false when the file is shorter.
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
  // The whole file with one read (the fault hook's Read applies), with room
  // for one byte more. False, before anything is allocated, when it is
  // larger than `maxSize`.
  bool ReadWhole(std::vector<std::uint8_t>& bytes, std::uint64_t maxSize);
  const FileIdentity& Identity() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
