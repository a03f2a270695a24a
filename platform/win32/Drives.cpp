// Logical drives and folder listings on Windows.
#include "platform/Drives.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/Handle.h"
#include "platform/win32/Reach.h"

namespace platform {

bool detail::RealListLogicalDrives(std::vector<Drive>& drives) {
  drives.clear();
  // 260 bytes hold all 26 drive letters ("C:\" and its zero, 4 bytes each)
  // with room to spare. Should the system ever answer that it needs more,
  // the list is asked for again in a buffer of that size, so that no drive
  // is left out.
  std::vector<char> buffer(260, '\0');
  DWORD length = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    length = ::GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return false;
    if (length < buffer.size()) break;
    buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
    length = 0;
  }
  if (length == 0) return false;
  // Zero-terminated root paths, ended by an empty one.
  const char* end = buffer.data() + length;
  for (const char* root = buffer.data(); root < end && *root != '\0';) {
    const std::size_t size = ::strnlen(root, static_cast<std::size_t>(end - root));
    Drive drive;
    drive.root.assign(root, size);
    drive.type = ::GetDriveTypeA(drive.root.c_str());
    drives.push_back(std::move(drive));
    root += size + 1;
  }
  return true;
}

std::wstring win32::WidenAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

namespace {

using win32::WidenAnsi;

// The name `wide` in the ANSI code page, false when that code page cannot
// carry it exactly. The narrow file functions give such a name with '?' for
// what is missing, or with a "best fit" look-alike ('¥' as '\' under code
// page 932, 'ā' as 'a' under 1252): either way the narrow name reaches
// another file, or a wildcard pattern, not this one. Only a name that comes
// back unchanged from the code page is taken.
bool NarrowExactly(const wchar_t* wide, std::string& name) {
  const int wideLength = static_cast<int>(::wcsnlen(wide, MAX_PATH));
  if (wideLength == 0) return false;
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return false;
  name.assign(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, wideLength, name.data(), length, nullptr, nullptr);
  return WidenAnsi(name) == std::wstring(wide, static_cast<std::size_t>(wideLength));
}

}  // namespace

// The listing asks for the names in UTF-16 and passes on only those that the
// ANSI code page carries exactly, as the callers go on with narrow paths.
struct FolderListing::Impl {
  explicit Impl(const std::string& pattern) : find(::FindFirstFileW(WidenAnsi(pattern).c_str(), &data)) {}
  WIN32_FIND_DATAW data{};
  win32::FindHandle find;
  bool havePending = find.IsValid();  // `data` holds the first entry, not yet returned
};

FolderListing::FolderListing(const std::string& folder) : m_impl(std::make_unique<Impl>(folder + "*")) {}

FolderListing::~FolderListing() = default;

bool FolderListing::IsOpen() const { return m_impl->find.IsValid(); }

bool FolderListing::Next(FolderEntry& entry) {
  if (!m_impl->find.IsValid()) return false;
  for (;;) {
    if (!m_impl->havePending && !::FindNextFileW(m_impl->find.Get(), &m_impl->data)) return false;
    m_impl->havePending = false;
    // A folder that is a reparse point (a junction, a symbolic link, a
    // mount point) is never entered: it may lead back into the walk, to
    // another drive, or to a folder a user swapped in.
    const DWORD attributes = m_impl->data.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    if (!NarrowExactly(m_impl->data.cFileName, entry.name)) continue;
    // All of the system's bits (hidden, system, reparse point...) are kept;
    // the callers look at the folder and read-only bits.
    entry.attributes = attributes;
    return true;
  }
}

bool FolderListing::IsReadOnly(const FolderEntry& entry) const { return (entry.attributes & kAttributeReadOnly) != 0; }

}  // namespace platform
