// The operating system's side of the program's start and end: the single
// instance, the version and rights checks, the font cache and the restart.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

// The version as GetVersionExA gives it. Linux reports itself as the newest
// Windows the program knows (platform 2, major 10), so it counts as supported.
struct OsVersion {
  unsigned platformId = 0;
  unsigned major = 0;
  unsigned minor = 0;
};

// False when the version cannot be read.
bool GetOsVersion(OsVersion& version);

// Whether the process has the rights of the local Administrators group
// (Linux: effective user 0).
bool IsUserAdministrator();

// The running executable's base name, without folder and extension.
std::string ExecutableBaseName();

// A named lock that marks a running copy of the program and that a second
// process sees (Windows: a named mutex; Linux: an flock on one file for the
// whole machine, in /run for root and /tmp otherwise, created 0600 and
// checked on the open descriptor). Held until destroyed.
class SingleInstanceLock {
 public:
  explicit SingleInstanceLock(const std::string& name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // True when another copy holds the lock; this object then holds nothing.
  bool AnotherCopyRunning() const;
  // True when the lock found is not one the program made (Linux: a file of
  // another owner, one others may open, a link, or a folder others write);
  // this object then holds nothing and the program must not run.
  bool Refused() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// Switches the WOW64 file-system redirection of this thread off for its
// lifetime (the two functions looked up in "kernel32"); does nothing where
// there is no WOW64.
class Wow64FsRedirectionGuard {
 public:
  Wow64FsRedirectionGuard();
  ~Wow64FsRedirectionGuard();
  Wow64FsRedirectionGuard(const Wow64FsRedirectionGuard&) = delete;
  Wow64FsRedirectionGuard& operator=(const Wow64FsRedirectionGuard&) = delete;

  bool SwitchedOff() const { return m_switchedOff != 0; }

 private:
  // Used by the Windows side only.
  [[maybe_unused]] void* m_revert = nullptr;
  [[maybe_unused]] void* m_savedState = nullptr;
  int m_switchedOff = 0;
};

// The system font cache files (Windows: the real system folder's
// "fntcache.dat"; Linux: fontconfig's cache files, system and user).
std::vector<std::string> FontCacheFiles();

// What the end of a successful run does to the system. The real actions are
// installed by default; tests install a recorder so that nothing is deleted
// and nothing restarts.
class SystemActions {
 public:
  virtual ~SystemActions() = default;
  // Deletes the font cache files; failures are ignored.
  virtual void ResetFontCache() = 0;
  // Forced restart (Windows: SeShutdownPrivilege and ExitWindowsEx(EWX_REBOOT | EWX_FORCE)).
  virtual void Restart() = 0;
  // Tells every top-level window that the installed fonts changed (Windows:
  // WM_FONTCHANGE posted to HWND_BROADCAST; nothing on Linux).
  virtual void BroadcastFontChange() = 0;
  // Lets go of the session's hold on the installed font `path`, so that its
  // file can be replaced: Windows keeps a font file that is loaded into the
  // session open and refuses to replace it (RemoveFontResourceW on the path
  // until it fails). The number of holds let go; Linux has none.
  virtual int ReleaseFont(const std::string& path) {
    (void)path;
    return 0;
  }
  // Takes `count` holds on the font `path` again (AddFontResourceW), so that
  // the session keeps its fonts whether or not the file was replaced.
  virtual void RestoreFont(const std::string& path, int count) {
    (void)path;
    (void)count;
  }
};

SystemActions& CurrentSystemActions();
// Installs `actions` (not owned); nullptr goes back to the real ones.
void SetSystemActions(SystemActions* actions);

// Environment answers for the start-up checks; tests install fixed answers.
class EnvironmentSource {
 public:
  virtual ~EnvironmentSource() = default;
  virtual bool GetOsVersion(OsVersion& version) const = 0;
  virtual bool IsUserAdministrator() const = 0;
};
// Installs `source` (not owned); nullptr goes back to the real system.
void SetEnvironmentSource(const EnvironmentSource* source);

}  // namespace platform
