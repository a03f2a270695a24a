// The operating system's answers at the program's start and end: version,
// rights, the single-instance lock seen from a second process, the WOW64
// redirection guard, the font cache, and the switches tests use instead.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Runtime.h"
#include "platform/System.h"
#include "tests/platform/ChildProcess.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr const char* kLockNameVariable = "TESSEL_TEST_LOCK_NAME";
// Exit codes of the second process: what it saw, told apart from a run that
// tested nothing.
constexpr int kSawWhatWasExpected = 23;
constexpr int kSawSomethingElse = 24;

TEST(System, ReportsItselfAsWindows10) {
  platform::OsVersion version;
  ASSERT_TRUE(platform::GetOsVersion(version));
  EXPECT_EQ(version.platformId, 2u);
  EXPECT_EQ(version.major, 10u);  // Wine set to Windows 10, and the manifest lets it say so
}

TEST(System, AdministratorRights) {
#ifdef _WIN32
  if (!platform_test::RunningUnderWine()) GTEST_SKIP() << "depends on how this Windows session was started";
  EXPECT_TRUE(platform::IsUserAdministrator());  // Wine's user belongs to the Administrators group
#else
  EXPECT_EQ(platform::IsUserAdministrator(), ::geteuid() == 0);
#endif
}

TEST(System, ExecutableBaseNameHasNoFolderAndNoExtension) {
  EXPECT_EQ(platform::ExecutableBaseName(), "platform_tests");
}

class FixedEnvironment : public platform::EnvironmentSource {
 public:
  bool GetOsVersion(platform::OsVersion& version) const override {
    version = {2, 6, 2};
    return true;
  }
  bool IsUserAdministrator() const override { return false; }
};

TEST(System, InstalledEnvironmentAnswersReplaceTheSystemsUntilRemoved) {
  platform::OsVersion real;
  ASSERT_TRUE(platform::GetOsVersion(real));
  FixedEnvironment fixed;
  platform::SetEnvironmentSource(&fixed);
  platform::OsVersion version;
  EXPECT_TRUE(platform::GetOsVersion(version));
  EXPECT_EQ(version.major, 6u);
  EXPECT_EQ(version.minor, 2u);
  EXPECT_FALSE(platform::IsUserAdministrator());
  platform::SetEnvironmentSource(nullptr);
  ASSERT_TRUE(platform::GetOsVersion(version));
  EXPECT_EQ(version.major, real.major);
}

class RecordedActions : public platform::SystemActions {
 public:
  void ResetFontCache() override { ++resets; }
  void Restart() override { ++restarts; }
  void BroadcastFontChange() override {}
  int resets = 0;
  int restarts = 0;
};

TEST(System, InstalledActionsAreCalledInsteadOfTheRealOnes) {
  platform::SystemActions* real = &platform::CurrentSystemActions();
  RecordedActions recorded;
  platform::SetSystemActions(&recorded);
  platform::CurrentSystemActions().ResetFontCache();
  platform::CurrentSystemActions().Restart();
  EXPECT_EQ(recorded.resets, 1);
  EXPECT_EQ(recorded.restarts, 1);
  platform::SetSystemActions(nullptr);
  EXPECT_EQ(&platform::CurrentSystemActions(), real);
}

// A name of its own per run, so that parallel runs do not meet.
std::string FreshLockName() {
#ifdef _WIN32
  const unsigned long process = ::GetCurrentProcessId();
#else
  const unsigned long process = static_cast<unsigned long>(::getpid());
#endif
  return "tessel-test-" + std::to_string(process) + "-" + std::to_string(platform::TimeSeconds()) + ".EXE";
}

TEST(SingleInstanceLock, ASecondProcessSeesTheFirstCopy) {
  const std::string name = FreshLockName();
#ifndef _WIN32
  // The lock file is one for the machine and is never removed by the
  // program; the test's own goes when the test ends.
  struct RemoveLockFile {
    std::string name;
    ~RemoveLockFile() {
      ::unlink(("/run/" + name + ".lock").c_str());
      ::unlink(("/tmp/" + name + ".lock").c_str());
    }
  } removeLockFile{name};
#endif
  const std::string filter = "SingleInstanceLockChild.*";
  {
    platform::SingleInstanceLock first(name);
    ASSERT_FALSE(first.AnotherCopyRunning());
    // The request "<name>|1" says that the child should see another copy,
    // "<name>|0" that it should not.
    EXPECT_EQ(platform_test::RunThisProgram(filter, kLockNameVariable, name + "|1"), kSawWhatWasExpected);
    // A second lock in this same process sees the first as well.
    platform::SingleInstanceLock second(name);
    EXPECT_TRUE(second.AnotherCopyRunning());
  }
  // Once the first copy has gone, a new one runs freely.
  EXPECT_EQ(platform_test::RunThisProgram(filter, kLockNameVariable, name + "|0"), kSawWhatWasExpected);
  platform::SingleInstanceLock again(name);
  EXPECT_FALSE(again.AnotherCopyRunning());
}

// The second process of the test above; skipped in an ordinary run.
TEST(SingleInstanceLockChild, SeesWhatItIsToldToSee) {
  const char* request = std::getenv(kLockNameVariable);
  if (request == nullptr) GTEST_SKIP() << "runs only as the second process of SingleInstanceLock tests";
  const std::string text = request;
  const std::size_t bar = text.rfind('|');
  ASSERT_NE(bar, std::string::npos);
  const bool expected = text.substr(bar + 1) == "1";
  const bool seen = platform::SingleInstanceLock(text.substr(0, bar)).AnotherCopyRunning();
  std::_Exit(seen == expected ? kSawWhatWasExpected : kSawSomethingElse);
}

#ifdef _WIN32

// The machine field of a PE file's header: 0x14C for x86, 0x8664 for x64.
unsigned PeMachine(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, bytes) || bytes.size() < 0x40) return 0;
  const std::size_t header =
      bytes[0x3C] | bytes[0x3D] << 8 | bytes[0x3E] << 16 | static_cast<std::size_t>(bytes[0x3F]) << 24;
  if (header > bytes.size() - 6) return 0;
  return bytes[header + 4] | bytes[header + 5] << 8;
}

std::string SystemFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

TEST(Wow64FsRedirectionGuard, ReachesTheRealSystemFolderAndPutsItBack) {
  const std::string kernel = SystemFolder() + "\\kernel32.dll";
  if (RunsUnderWow64()) {
    EXPECT_EQ(PeMachine(kernel), 0x14Cu);  // the 32-bit system folder stands in
    {
      platform::Wow64FsRedirectionGuard guard;
      EXPECT_TRUE(guard.SwitchedOff());
      EXPECT_EQ(PeMachine(kernel), 0x8664u);
    }
    EXPECT_EQ(PeMachine(kernel), 0x14Cu);
  } else {
    const unsigned native = PeMachine(kernel);
    EXPECT_NE(native, 0u);
    platform::Wow64FsRedirectionGuard guard;
    EXPECT_FALSE(guard.SwitchedOff());
    EXPECT_EQ(PeMachine(kernel), native);
  }
}

TEST(FontCache, TheCacheInTheRealSystemFolderIsFoundAndDeleted) {
  if (!platform_test::RunningUnderWine()) GTEST_SKIP() << "writes into the system folder: only in Wine's own prefix";
  const std::string cache = SystemFolder() + "\\fntcache.dat";
  const std::vector<std::uint8_t> bytes = {'c', 'a', 'c', 'h', 'e'};
  {
    platform::Wow64FsRedirectionGuard guard;
    ASSERT_TRUE(platform::WriteFileReplacing(cache, bytes.data(), bytes.size()));
  }
  const bool wow64 = RunsUnderWow64();
  // Under WOW64 the same name without the guard is a file of the 32-bit
  // system folder, which must be left alone.
  if (wow64) {
    ASSERT_TRUE(platform::WriteFileReplacing(cache, bytes.data(), bytes.size()));
  }

  const std::vector<std::string> files = platform::FontCacheFiles();
  ASSERT_EQ(files.size(), 1u);
  std::string found = files[0];
  std::string wanted = cache;
  for (std::string* text : {&found, &wanted})
    std::transform(text->begin(), text->end(), text->begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_EQ(found, wanted);

  platform::SetSystemActions(nullptr);
  platform::CurrentSystemActions().ResetFontCache();
  EXPECT_TRUE(platform::FontCacheFiles().empty());
  {
    platform::Wow64FsRedirectionGuard guard;
    EXPECT_FALSE(platform::FileExists(cache));
  }
  if (wow64) {
    EXPECT_TRUE(platform::FileExists(cache));
    EXPECT_TRUE(platform::RemoveFile(cache));
  }
}

#else

TEST(Wow64FsRedirectionGuard, HasNothingToSwitchOff) {
  platform::Wow64FsRedirectionGuard guard;
  EXPECT_FALSE(guard.SwitchedOff());
}

TEST(FontCache, FontconfigCachesOfTheUserAreListed) {
  test_support::ScratchFolder scratch;
  std::filesystem::create_directory(scratch.File("fontconfig"));
  const std::string cache = scratch.File("fontconfig/0123abcd-le64.cache-9");
  test_support::WriteBytes(cache, {'c'});
  test_support::WriteBytes(scratch.File("fontconfig/CACHEDIR.TAG"), {'t'});
  std::filesystem::create_symlink(cache, scratch.File("fontconfig/link-le64.cache-9"));
  std::filesystem::create_directory(scratch.File("fontconfig/folder.cache-9"));

  const char* previous = std::getenv("XDG_CACHE_HOME");
  const std::string saved = previous ? previous : "";
  ::setenv("XDG_CACHE_HOME", scratch.Path().substr(0, scratch.Path().size() - 1).c_str(), 1);
  const std::vector<std::string> files = platform::FontCacheFiles();
  if (previous) {
    ::setenv("XDG_CACHE_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CACHE_HOME");
  }

  std::vector<std::string> mine;
  for (const std::string& file : files) {
    if (file.compare(0, scratch.Path().size(), scratch.Path()) == 0)
      mine.push_back(file);
    else
      EXPECT_EQ(file.compare(0, 22, "/var/cache/fontconfig/"), 0) << file;
  }
  EXPECT_EQ(mine, std::vector<std::string>{cache});
}

#endif

}  // namespace
