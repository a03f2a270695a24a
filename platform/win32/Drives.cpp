// Logical drives and folder listings on Windows.
#include "platform/Drives.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/Handle.h"

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

struct FolderListing::Impl {
  explicit Impl(const std::string& pattern) : find(::FindFirstFileA(pattern.c_str(), &data)) {}
  WIN32_FIND_DATAA data{};
  win32::FindHandle find;
  bool havePending = find.IsValid();  // `data` holds the first entry, not yet returned
};

FolderListing::FolderListing(const std::string& folder) : m_impl(std::make_unique<Impl>(folder + "*")) {}

FolderListing::~FolderListing() = default;

bool FolderListing::IsOpen() const { return m_impl->find.IsValid(); }

bool FolderListing::Next(FolderEntry& entry) {
  if (!m_impl->find.IsValid()) return false;
  do {
    if (!m_impl->havePending && !::FindNextFileA(m_impl->find.Get(), &m_impl->data)) return false;
    m_impl->havePending = false;
    // A folder that is a reparse point (a junction, a symbolic link, a
    // mount point) is never entered: it may lead back into the walk, to
    // another drive, or to a folder a user swapped in.
  } while ((m_impl->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (m_impl->data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
  // cFileName is zero-terminated within MAX_PATH; strnlen keeps it so.
  entry.name.assign(m_impl->data.cFileName, ::strnlen(m_impl->data.cFileName, MAX_PATH));
  // All of the system's bits (hidden, system, reparse point...) are kept;
  // the callers look at the folder and read-only bits.
  entry.attributes = m_impl->data.dwFileAttributes;
  return true;
}

bool FolderListing::IsReadOnly(const FolderEntry& entry) const { return (entry.attributes & kAttributeReadOnly) != 0; }

}  // namespace platform
