// Reaching a file again on Windows: handles opened with
// FILE_FLAG_OPEN_REPARSE_POINT (a junction or symbolic link is opened itself,
// never followed, and then refused), checked by volume serial number and
// file index. The folder's handle is held without FILE_SHARE_DELETE while
// its file is worked on, so that the folder cannot be renamed or replaced
// meanwhile.
#include "platform/ReachedFiles.h"

#include <windows.h>

#include <new>

#include "platform/Drives.h"
#include "platform/FileFaults.h"
#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Reach.h"

namespace platform {

using win32::Handle;

namespace win32 {

// By SplitPath, which knows that a double-byte character of the ANSI code
// page may end in 0x5C ("ソ" is 83 5C under code page 932) without being a
// separator.
void SplitFolder(const std::string& path, std::string& folder, std::string& name) {
  const SplitPathParts parts = SplitPath(path);
  folder = parts.drive + parts.folder;
  if (folder.empty()) folder = ".\\";
  name = parts.baseName + parts.extension;
}

bool OpenChecked(const std::string& path, bool folder, DWORD access, DWORD share, Handle& handle, std::uint64_t& volume,
                 std::uint64_t& index) {
  const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
  handle = Handle(::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle.IsValid() || ::GetFileInformationByHandle(handle.Get(), &info) == 0) return false;
  const bool isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || isFolder != folder) return false;
  if (!folder && ::GetFileType(handle.Get()) != FILE_TYPE_DISK) return false;
  volume = info.dwVolumeSerialNumber;
  index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

bool OpenRecordedFolder(const FileIdentity& identity, Handle& folder) {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  constexpr DWORD kHold = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
  return OpenChecked(identity.folder, true, kHold, FILE_SHARE_READ | FILE_SHARE_WRITE, folder, volume, index) &&
         volume == identity.folderVolume && index == identity.folderIndex;
}

}  // namespace win32

struct FileReader::Impl {
  Handle folder;
  Handle file;
  std::uint64_t size = 0;
  FileIdentity identity;
};

FileReader::FileReader() : m_impl(std::make_unique<Impl>()) {}
FileReader::~FileReader() = default;

namespace {

constexpr DWORD kReadShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool FileSize(HANDLE file, std::uint64_t& size) {
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(file, &length) || length.QuadPart < 0) return false;
  size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}

}  // namespace

bool FileReader::Open(const std::string& path) {
  m_impl = std::make_unique<Impl>();
  if (CheckFileFault(FileOp::Open, path) != Fault::None) return false;
  FileIdentity identity;
  win32::SplitFolder(path, identity.folder, identity.name);
  if (identity.name.empty()) return false;
  Handle folder;
  if (!win32::OpenChecked(identity.folder, true, FILE_READ_ATTRIBUTES, kReadShare | FILE_SHARE_DELETE, folder,
                          identity.folderVolume, identity.folderIndex) ||
      !win32::OpenChecked(path, false, GENERIC_READ, kReadShare, m_impl->file, identity.volume, identity.index) ||
      !FileSize(m_impl->file.Get(), m_impl->size)) {
    m_impl->file.Close();
    return false;
  }
  identity.known = true;
  m_impl->identity = identity;
  return true;
}

bool FileReader::Open(const FileIdentity& identity) {
  m_impl = std::make_unique<Impl>();
  if (!identity.known || CheckFileFault(FileOp::Open, identity.Path()) != Fault::None) return false;
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  if (!win32::OpenRecordedFolder(identity, m_impl->folder) ||
      !win32::OpenChecked(identity.Path(), false, GENERIC_READ, kReadShare, m_impl->file, volume, index) ||
      volume != identity.volume || index != identity.index || !FileSize(m_impl->file.Get(), m_impl->size)) {
    m_impl->file.Close();
    return false;
  }
  m_impl->identity = identity;
  return true;
}

bool FileReader::IsOpen() const { return m_impl->file.IsValid(); }

std::uint64_t FileReader::Size() const { return m_impl->size; }

const FileIdentity& FileReader::Identity() const { return m_impl->identity; }

bool FileReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!m_impl->file.IsValid() || offset > m_impl->size || out.size() > m_impl->size - offset) return false;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (::SetFilePointerEx(m_impl->file.Get(), at, nullptr, FILE_BEGIN) == 0) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const std::size_t left = out.size() - done;
    const DWORD wanted = left > MAXDWORD ? MAXDWORD : static_cast<DWORD>(left);
    DWORD got = 0;
    if (::ReadFile(m_impl->file.Get(), out.data() + done, wanted, &got, nullptr) == 0 || got == 0) return false;
    done += got;
  }
  return true;
}

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether the file `file` names is still that file; `attributes` gets its attributes.
bool StillTheFile(const FileIdentity& file, DWORD access, Handle& handle, DWORD& attributes) {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!win32::OpenChecked(file.Path(), false, access, kShareAll, handle, volume, index) || volume != file.volume ||
      index != file.index || ::GetFileInformationByHandle(handle.Get(), &info) == 0)
    return false;
  attributes = info.dwFileAttributes;
  return true;
}

}  // namespace

bool LookUpFile(const std::string& path, FileIdentity& file) {
  FileIdentity found;
  win32::SplitFolder(path, found.folder, found.name);
  Handle folder;
  Handle handle;
  if (found.name.empty() ||
      !win32::OpenChecked(found.folder, true, FILE_READ_ATTRIBUTES, kShareAll, folder, found.folderVolume,
                          found.folderIndex) ||
      !win32::OpenChecked(path, false, FILE_READ_ATTRIBUTES, kShareAll, handle, found.volume, found.index))
    return false;
  found.known = true;
  file = found;
  return true;
}

// The folder is held without FILE_SHARE_DELETE from the check to the end,
// so it cannot be renamed or replaced by a junction meanwhile; the file is
// checked, then replaced in one step within it, the new file renamed over
// it through its handle relative to the held folder.
bool ReplaceReachedFile(FileIdentity& file, const std::uint8_t* data, std::size_t size, FileIdentity* waiting) {
  Handle folder;
  Handle installed;
  DWORD attributes = 0;
  if (!file.known || !win32::OpenRecordedFolder(file, folder) ||
      !StillTheFile(file, FILE_READ_ATTRIBUTES, installed, attributes))
    return false;
  installed.Close();  // the replacement must be free to delete it
  std::string kept;
  BY_HANDLE_FILE_INFORMATION revised{};
  if (!win32::ReplaceInHeldFolder(folder.Get(), file.Path(), file.name, data, size,
                                  waiting != nullptr ? &kept : nullptr, revised)) {
    // A font still held: its revision waits beside it for the restart, but
    // only where no user could steer a rename made at the restart by path.
    if (kept.empty()) return false;
    FileIdentity beside = file;
    beside.name = kept.substr(file.folder.size());
    Handle handle;
    if (kept.compare(0, file.folder.size(), file.folder) != 0 || !OnlyAdministratorsWrite(file) ||
        !win32::OpenChecked(kept, false, FILE_READ_ATTRIBUTES, kShareAll, handle, beside.volume, beside.index)) {
      handle.Close();
      ::DeleteFileA(kept.c_str());
      return false;
    }
    *waiting = beside;
    return false;
  }
  file.volume = revised.dwVolumeSerialNumber;
  file.index = (std::uint64_t{revised.nFileIndexHigh} << 32) | revised.nFileIndexLow;
  return true;
}

bool ReplaceAtRestart(const FileIdentity& waiting, const FileIdentity& installed) {
  Handle folder;
  Handle handle;
  DWORD attributes = 0;
  if (!waiting.known || !installed.known || waiting.folderVolume != installed.folderVolume ||
      waiting.folderIndex != installed.folderIndex || !win32::OpenRecordedFolder(installed, folder) ||
      !StillTheFile(waiting, FILE_READ_ATTRIBUTES, handle, attributes))
    return false;
  handle.Close();
  const std::wstring from = win32::WidenAnsi(waiting.Path());
  const std::wstring to = win32::WidenAnsi(installed.Path());
  return !from.empty() && !to.empty() &&
         ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

bool IsStillReached(const FileIdentity& file) {
  Handle folder;
  Handle handle;
  DWORD attributes = 0;
  return file.known && win32::OpenRecordedFolder(file, folder) &&
         StillTheFile(file, FILE_READ_ATTRIBUTES, handle, attributes);
}

// Deleted through the handle that was checked (its delete disposition), so
// the file deleted is the file checked.
bool RemoveReachedFile(const FileIdentity& file) {
  if (!file.known || CheckFileFault(FileOp::Delete, file.Path()) != Fault::None) return false;
  Handle folder;
  Handle handle;
  DWORD attributes = 0;
  if (!win32::OpenRecordedFolder(file, folder) ||
      !StillTheFile(file, DELETE | FILE_READ_ATTRIBUTES, handle, attributes) ||
      (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return false;
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return ::SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

void RemoveReplacementLeftovers(const FileIdentity& file) {
  Handle folder;
  if (file.known && win32::OpenRecordedFolder(file, folder)) RemoveReplacementLeftovers(file.Path());
}

void RemoveFilesNamedLike(const std::string& folderPath, const std::string& part) {
  FolderListing listing(folderPath);
  FolderEntry entry;
  while (listing.Next(entry)) {
    constexpr std::uint32_t kSkipped = kAttributeFolder | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((entry.attributes & kSkipped) == 0 && entry.name.find(part) != std::string::npos)
      RemoveFile(folderPath + entry.name);
  }
}

}  // namespace platform
