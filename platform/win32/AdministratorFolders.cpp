// Folders only administrators can write, on Windows: the system font folder,
// recognised by its volume serial number and file index, or a folder whose
// security descriptor, and those of the folders above it, give no one but
// SYSTEM, the Administrators group and TrustedInstaller a right to change
// what it holds.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <string>

#include "platform/ReachedFiles.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Reach.h"

namespace platform {
namespace {

using win32::Handle;

// A SID the system allocated, freed with LocalFree.
class LocalSid {
 public:
  explicit LocalSid(const wchar_t* text) {
    if (!::ConvertStringSidToSidW(text, &m_sid)) m_sid = nullptr;
  }
  ~LocalSid() {
    if (m_sid != nullptr) ::LocalFree(m_sid);
  }
  LocalSid(const LocalSid&) = delete;
  LocalSid& operator=(const LocalSid&) = delete;
  PSID Get() const { return m_sid; }

 private:
  PSID m_sid = nullptr;
};

bool IsAdministrative(PSID sid) {
  static const LocalSid system(L"S-1-5-18");
  static const LocalSid administrators(L"S-1-5-32-544");
  static const LocalSid trustedInstaller(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464");
  for (const LocalSid* known : {&system, &administrators, &trustedInstaller}) {
    if (known->Get() != nullptr && ::EqualSid(sid, known->Get())) return true;
  }
  return false;
}

// What lets a user change a folder's entries: create or delete files in it,
// delete or rename the folder, change its descriptor or owner.
constexpr DWORD kFolderRights = FILE_ADD_FILE | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
// What lets a user move a folder below away (with a name of their own in
// its place): delete or rename children, delete or rename this folder, or
// change who may.
constexpr DWORD kAncestorRights = FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// The descriptor of the folder open as `folder`; LocalFree'd by the caller.
bool FolderDescriptor(HANDLE folder, PSECURITY_DESCRIPTOR& descriptor) {
  descriptor = nullptr;
  return ::GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                           nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS &&
         descriptor != nullptr;
}

bool FolderLetsOnlyAdministrators(HANDLE folder, DWORD rights) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!FolderDescriptor(folder, descriptor)) return false;
  const bool only = win32::LetsOnlyAdministrators(descriptor, rights);
  ::LocalFree(descriptor);
  return only;
}

// Whether the folder recorded in `file` is the system font folder.
bool IsSystemFontFolder(const FileIdentity& file) {
  wchar_t path[MAX_PATH] = {};
  // CSIDL_FONTS is FOLDERID_Fonts.
  if (::SHGetFolderPathW(nullptr, CSIDL_FONTS, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return false;
  const Handle folder(::CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder.IsValid() || ::GetFileInformationByHandle(folder.Get(), &info) == 0) return false;
  const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return info.dwVolumeSerialNumber == file.folderVolume && index == file.folderIndex;
}

}  // namespace

namespace win32 {

bool LetsOnlyAdministrators(PSECURITY_DESCRIPTOR descriptor, DWORD rights) {
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) || owner == nullptr ||
      !IsAdministrative(owner))
    return false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  if (!::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present || acl == nullptr) return false;
  const DWORD granting = rights | GENERIC_ALL | GENERIC_WRITE | MAXIMUM_ALLOWED;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* entry = nullptr;
    if (!::GetAce(acl, i, &entry)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;  // for what is created below only
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    // Any other kind of entry may grant something: not understood, not trusted.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & granting) == 0) continue;
    if (!IsAdministrative(const_cast<DWORD*>(&allowed->SidStart))) return false;
  }
  return true;
}

}  // namespace win32

bool OnlyAdministratorsWrite(const FileIdentity& file) {
  if (!file.known) return false;
  if (IsSystemFontFolder(file)) return true;
  Handle folder;
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if (!win32::OpenChecked(file.folder, true, READ_CONTROL | FILE_READ_ATTRIBUTES, kShare, folder, volume, index) ||
      volume != file.folderVolume || index != file.folderIndex ||
      !FolderLetsOnlyAdministrators(folder.Get(), kFolderRights))
    return false;
  // The folders above, up to the drive's root, each held while it is read.
  std::string path = file.folder;
  for (;;) {
    std::string parent;
    std::string name;
    win32::SplitFolder(path.substr(0, path.size() - 1), parent, name);
    if (name.empty() || parent.size() >= path.size()) return true;
    Handle above;
    if (!win32::OpenChecked(parent, true, READ_CONTROL | FILE_READ_ATTRIBUTES, kShare, above, volume, index) ||
        !FolderLetsOnlyAdministrators(above.Get(), kAncestorRights))
      return false;
    path = parent;
  }
}

}  // namespace platform
