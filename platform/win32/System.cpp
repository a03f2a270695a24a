// The Windows side of the program's start and end: the named mutex, the
// version and administrator checks, the WOW64 redirection guard, the system
// font cache and the forced restart.
#include "platform/System.h"

// windows.h first: the other system headers need its types.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/SystemServices.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Reach.h"

namespace platform {
namespace {

using win32::Handle;

// A procedure looked up by name, as the type the caller knows it by.
template <typename Function>
Function LookUp(HMODULE module, const char* name) {
  const FARPROC procedure = ::GetProcAddress(module, name);
  // Through void(*)() so that the compiler takes the cast as intended.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(procedure));
}

using DisableRedirection = BOOL(WINAPI*)(PVOID*);
using RevertRedirection = BOOL(WINAPI*)(PVOID);

class Sid {
 public:
  ~Sid() {
    if (m_sid != nullptr) ::FreeSid(m_sid);
  }
  PSID* Receive() { return &m_sid; }
  PSID Get() const { return m_sid; }

 private:
  PSID m_sid = nullptr;
};

// Ends the thread's impersonation of its own process when it goes. Ending it
// whatever the access check did leaves the thread as it was found.
class SelfImpersonation {
 public:
  SelfImpersonation() : m_active(::ImpersonateSelf(SecurityImpersonation) != 0) {}
  ~SelfImpersonation() {
    if (m_active) ::RevertToSelf();
  }
  SelfImpersonation(const SelfImpersonation&) = delete;
  SelfImpersonation& operator=(const SelfImpersonation&) = delete;

 private:
  bool m_active;
};

// Whether `token` may read an object that grants read and write to the local
// Administrators group only: the check that the program makes to learn
// whether its user is an administrator.
bool TokenPassesAdministratorCheck(HANDLE token) {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  Sid administrators;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.Receive()))
    return false;

  constexpr DWORD kAccessRead = 1;
  constexpr DWORD kAccessWrite = 2;
  const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(administrators.Get()) - sizeof(DWORD);
  std::vector<DWORD> aclStorage((aclSize + sizeof(DWORD) - 1) / sizeof(DWORD), 0);  // ACLs are DWORD-aligned
  PACL acl = reinterpret_cast<PACL>(aclStorage.data());
  SECURITY_DESCRIPTOR descriptor{};
  if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::InitializeAcl(acl, aclSize, ACL_REVISION2) ||
      !::AddAccessAllowedAce(acl, ACL_REVISION2, kAccessRead | kAccessWrite, administrators.Get()) ||
      !::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
      !::SetSecurityDescriptorGroup(&descriptor, administrators.Get(), FALSE) ||
      !::SetSecurityDescriptorOwner(&descriptor, administrators.Get(), FALSE) ||
      !::IsValidSecurityDescriptor(&descriptor))
    return false;

  GENERIC_MAPPING mapping{kAccessRead, kAccessWrite, 0, kAccessRead | kAccessWrite};
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof(privileges);
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!::AccessCheck(&descriptor, token, kAccessRead, &mapping, &privileges, &privilegesSize, &granted, &status))
    return false;
  return status != FALSE;
}

class RealActions : public SystemActions {
 public:
  void ResetFontCache() override {
    for (const std::string& path : FontCacheFiles()) {
      Wow64FsRedirectionGuard guard;
      RemoveFile(path);
    }
  }

  void Restart() override {
    // No step's result is looked at: when the privilege cannot be had,
    // ExitWindowsEx fails and the program ends as usual.
    Handle token;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive())) {
      TOKEN_PRIVILEGES wanted{};
      wanted.PrivilegeCount = 1;
      wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      if (::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &wanted.Privileges[0].Luid)) {
        TOKEN_PRIVILEGES previous{};
        DWORD previousSize = sizeof(previous);
        ::AdjustTokenPrivileges(token.Get(), FALSE, &wanted, sizeof(previous), &previous, &previousSize);
      }
    }
    ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
  }

  void BroadcastFontChange() override { ::PostMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0); }

  int ReleaseFont(const std::string& path) override {
    // A font added n times is removed n times; the bound only keeps a
    // system that never says no from holding the run.
    constexpr int kMostHolds = 256;
    const std::wstring wide = win32::WidenAnsi(path);
    int released = 0;
    while (released < kMostHolds && ::RemoveFontResourceW(wide.c_str())) ++released;
    return released;
  }

  void RestoreFont(const std::string& path, int count) override {
    const std::wstring wide = win32::WidenAnsi(path);
    for (int i = 0; i < count; ++i) ::AddFontResourceW(wide.c_str());
  }
};

}  // namespace

namespace detail {

bool RealGetOsVersion(OsVersion& version) {
  static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOA) == 148);
  OSVERSIONINFOEXA extended{};
  extended.dwOSVersionInfoSize = sizeof(extended);
  if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
    version.platformId = extended.dwPlatformId;
    version.major = extended.dwMajorVersion;
    version.minor = extended.dwMinorVersion;
    return true;
  }
  OSVERSIONINFOA basic{};
  basic.dwOSVersionInfoSize = sizeof(basic);
  if (!::GetVersionExA(&basic)) return false;
  version.platformId = basic.dwPlatformId;
  version.major = basic.dwMajorVersion;
  version.minor = basic.dwMinorVersion;
  return true;
}

bool RealIsUserAdministrator() {
  // The access check needs an impersonation token: the thread takes on its
  // process's own rights for the time of the check.
  SelfImpersonation impersonation;
  Handle token;
  if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, FALSE, token.Receive())) {
    if (::GetLastError() != ERROR_NO_TOKEN) return false;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
  }
  return TokenPassesAdministratorCheck(token.Get());
}

SystemActions& RealSystemActions() {
  static RealActions actions;
  return actions;
}

}  // namespace detail

std::string ExecutableBaseName() {
  std::vector<char> buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) return SplitPath(std::string(buffer.data(), length)).baseName;
    if (buffer.size() >= 32768) return std::string();
    buffer.assign(buffer.size() * 2, '\0');
  }
}

struct SingleInstanceLock::Impl {
  Handle sessionMutex;
  Handle globalMutex;
  bool anotherCopy = false;
};

namespace {

// Takes the mutex `name`: false when another copy has it (it exists, or it
// exists and this user may not open it). Without a mutex at all the program
// goes on unguarded.
bool TakeMutex(const std::string& name, Handle& mutex) {
  const Handle existing(::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
  if (existing.IsValid() || ::GetLastError() == ERROR_ACCESS_DENIED) return false;
  *mutex.Receive() = ::CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex.IsValid() && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    // Another copy made it between the two calls.
    mutex.Close();
    return false;
  }
  return true;
}

}  // namespace

// The mutex named after the program lives in its session's namespace; the
// same name in the global one makes one run per computer, so that a copy a
// deployment tool starts in session 0 and a copy on a user's desktop never
// work on the same fonts.
SingleInstanceLock::SingleInstanceLock(const std::string& name) : m_impl(std::make_unique<Impl>()) {
  if (!TakeMutex(name, m_impl->sessionMutex) || !TakeMutex("Global\\" + name, m_impl->globalMutex)) {
    m_impl->sessionMutex.Close();
    m_impl->globalMutex.Close();
    m_impl->anotherCopy = true;
  }
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::AnotherCopyRunning() const { return m_impl->anotherCopy; }

// The named mutex is the system's; there is no file to distrust.
bool SingleInstanceLock::Refused() const { return false; }

Wow64FsRedirectionGuard::Wow64FsRedirectionGuard() {
  const HMODULE kernel = ::GetModuleHandleA("kernel32");
  if (kernel == nullptr) return;
  const auto disable = LookUp<DisableRedirection>(kernel, "Wow64DisableWow64FsRedirection");
  m_revert = reinterpret_cast<void*>(LookUp<RevertRedirection>(kernel, "Wow64RevertWow64FsRedirection"));
  if (disable != nullptr) m_switchedOff = disable(&m_savedState) ? 1 : 0;
}

Wow64FsRedirectionGuard::~Wow64FsRedirectionGuard() {
  if (m_revert != nullptr && m_switchedOff != 0) {
    reinterpret_cast<RevertRedirection>(m_revert)(m_savedState);
    m_switchedOff = 0;
  }
}

std::vector<std::string> FontCacheFiles() {
  char path[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, path, CSIDL_SYSTEM, FALSE)) return {};
  if (!::PathAppendA(path, "fntcache.dat")) return {};
  // A 32-bit program on 64-bit Windows would otherwise look into the 32-bit
  // system folder.
  bool exists = false;
  {
    Wow64FsRedirectionGuard guard;
    exists = ::PathFileExistsA(path) != FALSE;
  }
  if (!exists) return {};
  return {std::string(path)};
}

}  // namespace platform
