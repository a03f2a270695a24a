// Run-time services: path splitting by _splitpath's rules (double-byte names
// included), the ANSI code page the tests run with, time, random numbers and
// the message queue.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#endif

#include <climits>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "platform/Runtime.h"
#include "platform/Text.h"

namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* folder;
  const char* baseName;
  const char* extension;
};

const SplitCase kSplitCases[] = {
    {"C:\\a\\b.c.otf", "C:", "\\a\\", "b.c", ".otf"},
    {"name", "", "", "name", ""},
    {".otf", "", "", "", ".otf"},
    {"a/b\\c", "", "a/b\\", "c", ""},
    {"C:\\fonts\\", "C:", "\\fonts\\", "", ""},
    {"C:", "C:", "", "", ""},
    {"C:name.otf", "C:", "", "name", ".otf"},
    {"dir.v2\\name", "", "dir.v2\\", "name", ""},
    {"x.", "", "", "x", "."},
    {"\\\\server\\share\\f.otf", "", "\\\\server\\share\\", "f", ".otf"},
    {"/usr/share/fonts/a.otf", "", "/usr/share/fonts/", "a", ".otf"},
    {"VM-Gothic-Bold.pa", "", "", "VM-Gothic-Bold", ".pa"},
    {"", "", "", "", ""},
};

void ExpectSplit(const SplitCase& c) {
  const platform::SplitPathParts parts = platform::SplitPath(c.path);
  EXPECT_EQ(parts.drive, c.drive) << c.path;
  EXPECT_EQ(parts.folder, c.folder) << c.path;
  EXPECT_EQ(parts.baseName, c.baseName) << c.path;
  EXPECT_EQ(parts.extension, c.extension) << c.path;
}

TEST(SplitPath, SplitsAsSplitpathDoes) {
  for (const SplitCase& c : kSplitCases) ExpectSplit(c);
}

#ifdef _WIN32

// "C:\ソフト\表.otf", "能.otf" and "ソ": the trail bytes of ソ, 表 and 能
// are 0x5C, and none of them separates anything.
const SplitCase kDoubleByteCases[] = {
    {"C:\\\x83\x5c\x83\x74\x83\x67\\\x95\x5c.otf", "C:", "\\\x83\x5c\x83\x74\x83\x67\\", "\x95\x5c", ".otf"},
    {"\x94\x5c.otf", "", "", "\x94\x5c", ".otf"},
    {"\x83\x5c", "", "", "\x83\x5c", ""},
};

TEST(SplitPath, DoubleByteCharactersEndingIn5CAreNoSeparators) {
  for (const SplitCase& c : kDoubleByteCases) ExpectSplit(c);
}

TEST(SplitPath, AgreesWithTheRuntimeLibrary) {
  std::vector<SplitCase> cases(std::begin(kSplitCases), std::end(kSplitCases));
  cases.insert(cases.end(), std::begin(kDoubleByteCases), std::end(kDoubleByteCases));
  for (const SplitCase& c : cases) {
    char drive[_MAX_DRIVE], folder[_MAX_DIR], baseName[_MAX_FNAME], extension[_MAX_EXT];
    _splitpath(c.path, drive, folder, baseName, extension);
    const platform::SplitPathParts parts = platform::SplitPath(c.path);
    EXPECT_EQ(parts.drive, drive) << c.path;
    EXPECT_EQ(parts.folder, folder) << c.path;
    EXPECT_EQ(parts.baseName, baseName) << c.path;
    EXPECT_EQ(parts.extension, extension) << c.path;
  }
}

TEST(Runtime, TheAnsiCodePageIsJapanese) {
  EXPECT_EQ(::GetACP(), 932u) << "run the Windows tests with LC_ALL=ja_JP.UTF-8 under Wine";
  EXPECT_TRUE(platform::IsLeadByte(0x83));
  EXPECT_TRUE(platform::IsLeadByte(0xE0));
  EXPECT_FALSE(platform::IsLeadByte('\\'));
  EXPECT_FALSE(platform::IsLeadByte(0xA0));  // half-width katakana are single bytes
  // What the narrow file functions give is shown converted from that code page.
  EXPECT_EQ(platform::PathToProgramText("C:\\\x83\x5c\x83\x74\x83\x67\\\x95\x5c.otf"), "C:\\ソフト\\表.otf");
}

TEST(Runtime, PumpingEmptiesTheMessageQueue) {
  MSG message;
  ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its queue
  ASSERT_TRUE(::PostThreadMessageA(::GetCurrentThreadId(), WM_USER + 1, 0, 0));
  ASSERT_TRUE(::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  platform::PumpMessages();
  EXPECT_FALSE(::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

#else

TEST(SplitPath, EveryBackslashSeparatesOnLinux) {
  // Linux names are UTF-8, where no byte of a character is 0x5C.
  ExpectSplit(
      {"\x83\x5c"
       "a.otf",
       "", "\x83\x5c", "a", ".otf"});
  EXPECT_FALSE(platform::IsLeadByte(0x83));
  EXPECT_EQ(std::string("ソ"), "\xe3\x82\xbd");
}

#endif

TEST(Runtime, TimeAndRandomNumbers) {
  EXPECT_GT(platform::TimeSeconds(), 1600000000LL);  // after September 2020
  for (int i = 0; i < 100; ++i) {
    const int number = platform::RandomNumber();
    EXPECT_GE(number, 0);
    EXPECT_LE(number, RAND_MAX);
  }
  platform::PumpMessages();  // nothing waiting: returns at once
  platform::SleepMilliseconds(1);
}

}  // namespace
