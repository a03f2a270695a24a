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

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/ImageBuffer.h"

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

  bool IsOpen() const;
  std::uint64_t Size() const;
  // Exactly `out.size()` bytes from `offset`; false when the file is shorter.
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
  // The whole file with one read (the fault hook's Read applies), followed
  // by one zero byte: `bytes` holds Size() + 1 bytes. False, before anything
  // is allocated, when it is larger than `maxSize`.
  bool ReadWhole(ImageBuffer& bytes, std::uint64_t maxSize);
  // The whole file through one buffer of `pieceSize` bytes, as
  // ReadFileInPieces reads it (the fault hook's Read applies).
  bool ReadInPieces(std::size_t pieceSize, const std::function<void(std::span<const std::uint8_t>)>& consume);
  const FileIdentity& Identity() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The identity of the file at `path` as it stands now, its last component
// not followed if it is a link. False when it is no regular file.
bool LookUpFile(const std::string& path, FileIdentity& file);

// Whether the file `file` names is still reached as that file: its folder
// without a link and the recorded folder, the file the recorded one.
bool IsStillReached(const FileIdentity& file);

// Puts `size` bytes in the place of the file `file` names, in one step as
// ReplaceFileInOneStep does (a new file beside it, flushed, given its owner
// and permission bits or attributes, renamed over it), all within the
// folder the search saw. False, with nothing changed, when the folder or
// the file is no longer the one recorded or the file is read-only. On
// success `file` names the revised file.
//
// Windows holds a font that a session has loaded until the restart, and the
// session's own release frees only its own load. When `waiting` is given,
// the file stays in use after that release, and only administrators can
// write its folder (OnlyAdministratorsWrite), the new file beside it is kept
// and `waiting` names it (false is returned, the installed file untouched):
// the caller verifies it and hands it to ReplaceAtRestart, or removes it.
// Never on Linux, where a rename over a font in use always succeeds.
bool ReplaceReachedFile(FileIdentity& file, const std::uint8_t* data, std::size_t size,
                        FileIdentity* waiting = nullptr);

// Schedules `waiting`, a file ReplaceReachedFile kept beside `installed`, to
// replace it at the next restart (MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING), when both are
// still the files recorded. False otherwise, and always on Linux.
bool ReplaceAtRestart(const FileIdentity& waiting, const FileIdentity& installed);

// Whether no one but administrators (root, SYSTEM) can write the folder the
// search saw `file` in, decided from that recorded folder and never from
// its path. Linux: the folder and every folder above it owned by root and
// writable by no group or other user (the sticky /tmp counts as writable).
// Windows: the system font folder (FOLDERID_Fonts, by its volume and file
// index), or a folder whose security descriptor, and those of the folders
// above it, let no one else add, delete or rename files there or change
// who may. False when anything cannot be read: when in doubt, users can.
bool OnlyAdministratorsWrite(const FileIdentity& file);

// Deletes the file `file` names when it is still that file, reached
// without a link, and not read-only; false otherwise (nothing deleted).
bool RemoveReachedFile(const FileIdentity& file);

// Removes what a killed run left beside the file `file` names
// (ReplacementName's files), in the folder the search saw only.
void RemoveReplacementLeftovers(const FileIdentity& file);

// Deletes the files whose names contain `part` in `folder`, a folder reached
// without any link (fontconfig's caches: a user who makes a folder of their
// own cache a link to another folder gets nothing deleted there).
void RemoveFilesNamedLike(const std::string& folder, const std::string& part);

}  // namespace platform
