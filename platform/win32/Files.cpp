// Whole-file reads and writes on Windows.
#include "platform/Files.h"

#include <windows.h>
#include <winternl.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "platform/FileBytes.h"
#include "platform/FileFaults.h"
#include "platform/System.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Reach.h"

namespace platform {

const char kPathSeparator = '\\';

namespace {

using win32::Handle;

// One WriteFile for the whole block, as the program writes its files.
bool WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
  if (size == 0) return true;
  if (size > MAXDWORD) return false;
  DWORD written = 0;
  return ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) != 0 && written == size;
}

// Writes `size` bytes, or half of them and a failure when the hook says so.
bool WriteWithFaults(HANDLE file, const std::string& path, const std::uint8_t* data, std::size_t size) {
  switch (CheckFileFault(FileOp::Write, path)) {
    case Fault::Refuse:
      return false;
    case Fault::PartWay:
      WriteAll(file, data, size / 2);
      return false;
    case Fault::None:
      break;
  }
  return WriteAll(file, data, size);
}

// Reads a file whole. With `faults` the hook may refuse the open or the
// read, or stop the read part-way; the copy's own read of its source goes
// without, as CopyFileA's does.
template <typename Bytes>
bool ReadFileBytes(const std::string& path, Bytes& bytes, bool faults) {
  detail::Forget(bytes);
  if (faults && CheckFileFault(FileOp::Open, path) != Fault::None) return false;
  // Others may keep the file open for reading and writing meanwhile (a font
  // in use by the system is still read).
  Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > MAXDWORD)
    return false;
  const Fault readFault = faults ? CheckFileFault(FileOp::Read, path) : Fault::None;
  if (readFault == Fault::Refuse) return false;
  const DWORD wanted = static_cast<DWORD>(size.QuadPart);
  // Above 2 GB a 32-bit process cannot even ask for the buffer: such a file
  // cannot be read.
  if (!detail::MakeRoom(bytes, wanted)) return false;
  DWORD got = 0;
  const bool ok = wanted == 0 || (::ReadFile(file.Get(), bytes.data(), wanted, &got, nullptr) != 0 && got == wanted);
  if (!ok || readFault == Fault::PartWay) {
    detail::Forget(bytes);
    return false;
  }
  return true;
}

// Windows refuses to replace a read-only file; Wine run by root would not,
// so the attribute is looked at first, which changes nothing on Windows.
bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  return ReadFileBytes(path, bytes, true);
}

bool ReadFileInPieces(const std::string& path, std::size_t pieceSize,
                      const std::function<void(std::span<const std::uint8_t>)>& consume) {
  if (pieceSize == 0 || pieceSize > MAXDWORD || CheckFileFault(FileOp::Open, path) != Fault::None) return false;
  Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
  const Fault readFault = CheckFileFault(FileOp::Read, path);
  if (readFault == Fault::Refuse) return false;
  // Not cleared: every piece is read into before it is used.
  const auto piece = std::make_unique_for_overwrite<std::uint8_t[]>(pieceSize);
  unsigned long long left = static_cast<unsigned long long>(size.QuadPart);
  while (left > 0) {
    const DWORD wanted = static_cast<DWORD>(left < pieceSize ? left : pieceSize);
    DWORD got = 0;
    if (::ReadFile(file.Get(), piece.get(), wanted, &got, nullptr) == 0 || got != wanted) return false;
    if (readFault == Fault::PartWay) return false;
    consume({piece.get(), wanted});
    left -= wanted;
  }
  return true;
}

bool WriteNewFile(const std::string& path, const std::uint8_t* data, std::size_t size, NewFileAccess /*access*/) {
  if (CheckFileFault(FileOp::Create, path) != Fault::None) return false;
  // CREATE_NEW fails on any existing name, a link included; no sharing keeps
  // everyone else out until the file is complete.
  Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  const bool written = WriteWithFaults(file.Get(), path, data, size);
  if (!file.Close() || !written) {
    ::DeleteFileA(path.c_str());
    return false;
  }
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::uint8_t* data, std::size_t size) {
  if (CheckFileFault(FileOp::Create, path) != Fault::None) return false;
  if (IsReadOnlyFile(path)) return false;
  Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
  if (!file.IsValid()) return false;
  const bool written = WriteWithFaults(file.Get(), path, data, size);
  return file.Close() && written;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  const Fault fault = CheckFileFault(FileOp::Copy, to);
  if (fault == Fault::Refuse || IsReadOnlyFile(to)) return false;
  if (fault == Fault::PartWay) {
    // What a copy cut off by a full disk leaves: the target replaced by the
    // first half of the source.
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(from, bytes, false)) return false;
    Handle file(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) WriteAll(file.Get(), bytes.data(), bytes.size() / 2);
    return false;
  }
  return ::CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

namespace detail {
bool ReadFileUnhooked(const std::string& path, std::vector<std::uint8_t>& bytes) {
  return ReadFileBytes(path, bytes, false);
}
}  // namespace detail

namespace {

// A replacement refused because the file is in use: open in a process that
// shares no deletion, locked, or mapped (a font loaded into the session).
bool IsInUse(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_USER_MAPPED_FILE;
}

// How often, and how far apart, a replacement refused for a file in use is
// tried again after the session's hold on the font is released: Windows lets
// go of a removed font's file once the last device context that uses it has
// let go, which takes a moment; four seconds cover that, and a file held
// longer (another program has it open) is not going to be free while the
// user waits. A run stops at its first failed font, so the wait comes once.
constexpr int kInUseRetries = 4;
constexpr DWORD kInUsePause = 1000;  // milliseconds

bool MoveOver(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Puts the new file in the place of `path` by `move`, which leaves its
// error in GetLastError. A file in use is released by the session (its font
// removed), tried again a few times, and the font added back as often as it
// was removed, whatever the outcome. `held` tells a failure for a file still
// in use (another session has the font loaded, or another program has the
// file open) from any other.
bool MoveIntoPlace(const std::function<bool()>& move, const std::string& path, bool& held) {
  held = false;
  if (move()) return true;
  if (!IsInUse(::GetLastError())) return false;
  SystemActions& system = CurrentSystemActions();
  const int released = system.ReleaseFont(path);
  bool moved = false;
  for (int attempt = 0; attempt < kInUseRetries && !moved; ++attempt) {
    ::Sleep(kInUsePause);
    moved = move();
    held = !moved && IsInUse(::GetLastError());
    if (!held) break;
  }
  system.RestoreFont(path, released);
  return moved;
}

// The attributes the file at `path` has, when it may be replaced: false for
// a read-only file, a folder, or nothing there. `kept` gets those the
// revised file takes over.
bool ReplaceableAttributes(const std::string& path, DWORD& kept) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return false;
  // The attributes a file may be given; the revised font takes the installed one's.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;
  kept = (attributes & kSettable) != 0 ? attributes & kSettable : FILE_ATTRIBUTE_NORMAL;
  return true;
}

// Deletes the new file `file` opened at `beside`: through its handle when it
// was opened with DELETE access (the file deleted is the file written),
// else by its name.
void Discard(Handle& file, const std::string& beside, DWORD access) {
  if ((access & DELETE) != 0) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition);
    file.Close();
  } else {
    file.Close();
    ::DeleteFileA(beside.c_str());
  }
}

// Creates a new file beside `path` under a fresh ReplacementName (`beside`)
// with `access`, shared with no one, and writes and flushes `size` bytes
// into it. A file that could not be completed is deleted again.
bool WriteBeside(const std::string& path, DWORD attributes, DWORD access, const std::uint8_t* data, std::size_t size,
                 Handle& file, std::string& beside) {
  for (int attempt = 0; attempt < 64 && !file.IsValid(); ++attempt) {
    beside = ReplacementName(path);
    if (CheckFileFault(FileOp::Create, beside) != Fault::None) return false;
    // CREATE_NEW: never an existing file; no sharing until it is complete.
    *file.Receive() = ::CreateFileA(beside.c_str(), access, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (!file.IsValid() && ::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (!file.IsValid()) return false;
  if (!WriteWithFaults(file.Get(), beside, data, size) || CheckFileFault(FileOp::Flush, beside) != Fault::None ||
      !::FlushFileBuffers(file.Get())) {
    Discard(file, beside, access);
    return false;
  }
  return true;
}

// Renames the open file `file` (opened with DELETE access) to `name` in the
// folder `folder` is a handle of, replacing a file of that name: nothing is
// resolved by path. The native call, because SetFileInformationByHandle is
// not the same everywhere: Wine's resolves a relative name against the
// current folder and refuses RootDirectory. The error goes to GetLastError.
bool RenameByHandle(HANDLE file, HANDLE folder, const std::wstring& name) {
  const std::size_t nameBytes = name.size() * sizeof(wchar_t);
  if (name.empty() || nameBytes > MAXWORD) {
    ::SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  std::vector<std::uint8_t> block(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(block.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<ULONG>(nameBytes);
  std::memcpy(rename->FileName, name.data(), nameBytes);
  IO_STATUS_BLOCK status{};
  const NTSTATUS result =
      ::NtSetInformationFile(file, &status, rename, static_cast<ULONG>(block.size()), FileRenameInformation);
  if (result >= 0) return true;
  ::SetLastError(::RtlNtStatusToDosError(result));
  return false;
}

}  // namespace

bool ReplaceFileInOneStep(const std::string& path, const std::uint8_t* data, std::size_t size) {
  DWORD kept = 0;
  std::string beside;
  Handle file;
  if (!ReplaceableAttributes(path, kept) || !WriteBeside(path, kept, GENERIC_WRITE, data, size, file, beside))
    return false;
  bool held = false;
  if (!file.Close() || CheckFileFault(FileOp::Replace, path) != Fault::None ||
      !MoveIntoPlace([&] { return MoveOver(beside, path); }, path, held)) {
    ::DeleteFileA(beside.c_str());
    return false;
  }
  return true;
}

namespace win32 {

bool ReplaceInHeldFolder(HANDLE folder, const std::string& path, const std::string& name, const std::uint8_t* data,
                         std::size_t size, std::string* keptBeside, BY_HANDLE_FILE_INFORMATION& revised) {
  DWORD kept = 0;
  std::string beside;
  Handle file;
  const std::wstring wideName = WidenAnsi(name);
  if (wideName.empty() || !ReplaceableAttributes(path, kept) ||
      !WriteBeside(path, kept, GENERIC_WRITE | DELETE, data, size, file, beside))
    return false;
  // The file written is the file put in place: renamed through its own
  // handle into the held folder, and closed before the session's font is
  // added back.
  bool held = false;
  const auto move = [&] {
    if (!RenameByHandle(file.Get(), folder, wideName)) return false;
    const bool known = ::GetFileInformationByHandle(file.Get(), &revised) != 0;
    file.Close();
    if (!known) revised = {};
    return true;
  };
  if (CheckFileFault(FileOp::Replace, path) == Fault::None && MoveIntoPlace(move, path, held)) return true;
  if (held && keptBeside != nullptr && file.Close()) {
    *keptBeside = beside;
    return false;
  }
  Discard(file, beside, DELETE);
  return false;
}

}  // namespace win32

bool RemoveFile(const std::string& path) {
  if (CheckFileFault(FileOp::Delete, path) != Fault::None) return false;
  if (IsReadOnlyFile(path)) return false;
  return ::DeleteFileA(path.c_str()) != 0;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool GetTempFolder(std::string& folder) {
  char buffer[MAX_PATH];
  const DWORD length = ::GetTempPathA(MAX_PATH, buffer);
  // A result of MAX_PATH or more is the size the path would need.
  if (length == 0 || length >= MAX_PATH) return false;
  folder.assign(buffer, length);
  if (folder.back() != '\\' && folder.back() != '/') {
    if (folder.size() + 1 >= MAX_PATH) return false;
    folder += '\\';
  }
  return true;
}

}  // namespace platform
