// The file services on the real file system: whole reads and writes, the
// exclusive creation of new files, copies over existing and read-only files,
// the fault hook, and temporary files.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cctype>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileFaults.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/TempFiles.h"
#include "tests/support/RecordedFontHolds.h"
#include "tests/support/TestFiles.h"

namespace {

using platform::Fault;
using platform::FileOp;
using test_support::ReadBytes;
using test_support::ScratchFolder;
using test_support::WriteBytes;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

bool WriteNew(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  return platform::WriteNewFile(path, bytes.data(), bytes.size());
}

void MakeReadOnly(const std::string& path) {
  std::filesystem::permissions(
      path,
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
      std::filesystem::perm_options::remove);
}

// Installs a fault hook for one test and removes it again.
class FaultHook {
 public:
  explicit FaultHook(platform::FileFaultHook hook) { platform::SetFileFaultHook(std::move(hook)); }
  ~FaultHook() { platform::SetFileFaultHook(nullptr); }
};

TEST(Files, WholeFilesGoOutAndComeBackUnchanged) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> bytes = Pattern(300000, 3);
  ASSERT_TRUE(WriteNew(scratch.File("font.bin"), bytes));
  std::vector<std::uint8_t> read;
  ASSERT_TRUE(platform::ReadWholeFile(scratch.File("font.bin"), read));
  EXPECT_EQ(read, bytes);

  ASSERT_TRUE(platform::WriteNewFile(scratch.File("empty.bin"), nullptr, 0));
  read = {1, 2, 3};
  EXPECT_TRUE(platform::ReadWholeFile(scratch.File("empty.bin"), read));
  EXPECT_TRUE(read.empty());

  EXPECT_FALSE(platform::ReadWholeFile(scratch.File("missing.bin"), read));
  EXPECT_TRUE(read.empty());
  std::filesystem::create_directory(scratch.File("folder"));
  EXPECT_FALSE(platform::ReadWholeFile(scratch.File("folder"), read));
}

TEST(Files, AFileTooLargeForThisProcessIsRefusedNotACrash) {
  // The search reads any file named like a listed font; in the shipped 32-bit
  // program one of 3 GB must be a file that cannot be read.
  if (sizeof(void*) > 4) GTEST_SKIP() << "a 64-bit process may hold 3 GB: nothing to refuse";
  ScratchFolder scratch;
  const std::string path = scratch.File("huge.otf");
  WriteBytes(path, Pattern(16, 1));
  std::error_code error;
  std::filesystem::resize_file(path, 0xC0000000ull, error);  // sparse where the file system allows
  if (error) GTEST_SKIP() << "no 3 GB file here: " << error.message();
  std::vector<std::uint8_t> read = {1, 2, 3};
  EXPECT_FALSE(platform::ReadWholeFile(path, read));
  EXPECT_TRUE(read.empty());
}

TEST(Files, NewFilesNeverReplaceAnExistingName) {
  ScratchFolder scratch;
  const std::string path = scratch.File("taken.tmp");
  WriteBytes(path, Pattern(10, 1));
  EXPECT_FALSE(WriteNew(path, Pattern(20, 2)));
  EXPECT_EQ(ReadBytes(path), Pattern(10, 1));

  std::filesystem::create_directory(scratch.File("folder"));
  EXPECT_FALSE(WriteNew(scratch.File("folder"), Pattern(20, 2)));
}

TEST(Files, NewFilesNeverGoThroughAPlantedLink) {
  ScratchFolder scratch;
  const std::string target = scratch.File("victim.otf");
  WriteBytes(target, Pattern(10, 1));
  std::error_code error;
  std::filesystem::create_symlink(target, scratch.File("planted.tmp"), error);
  const bool symbolic = !error;
  // Where symbolic links cannot be made (Windows without the privilege), a
  // hard link is the link anyone can plant.
  if (!symbolic) std::filesystem::create_hard_link(target, scratch.File("planted.tmp"), error);
  ASSERT_FALSE(error) << error.message();
  EXPECT_FALSE(WriteNew(scratch.File("planted.tmp"), Pattern(20, 2)));
  EXPECT_EQ(ReadBytes(target), Pattern(10, 1));
  if (!symbolic) GTEST_SKIP() << "no symbolic links here: the dangling link is not tried";

  // A link to a file that does not exist yet must not create it either.
  std::filesystem::create_symlink(scratch.File("would-be.otf"), scratch.File("dangling.tmp"), error);
  ASSERT_FALSE(error);
  EXPECT_FALSE(WriteNew(scratch.File("dangling.tmp"), Pattern(20, 2)));
  EXPECT_FALSE(platform::FileExists(scratch.File("would-be.otf")));
}

TEST(Files, CopyReplacesTheWholeTarget) {
  ScratchFolder scratch;
  const std::string longer = scratch.File("long.otf");
  const std::string shorter = scratch.File("short.otf");
  const std::string target = scratch.File("installed.otf");
  WriteBytes(longer, Pattern(5000, 1));
  WriteBytes(shorter, Pattern(100, 2));

  ASSERT_TRUE(platform::CopyFileOver(longer, target));  // a new file
  EXPECT_EQ(ReadBytes(target), Pattern(5000, 1));
  ASSERT_TRUE(platform::CopyFileOver(shorter, target));  // nothing of the longer file stays
  EXPECT_EQ(ReadBytes(target), Pattern(100, 2));
  EXPECT_EQ(ReadBytes(shorter), Pattern(100, 2));

  EXPECT_FALSE(platform::CopyFileOver(scratch.File("missing.otf"), target));
  EXPECT_EQ(ReadBytes(target), Pattern(100, 2));
}

TEST(Files, ReadOnlyFilesAreNeitherReplacedNorDeleted) {
  ScratchFolder scratch;
  const std::string source = scratch.File("revised.otf");
  const std::string target = scratch.File("installed.otf");
  WriteBytes(source, Pattern(200, 1));
  WriteBytes(target, Pattern(100, 2));
  MakeReadOnly(target);

  EXPECT_FALSE(platform::CopyFileOver(source, target));
  const std::vector<std::uint8_t> other = Pattern(5, 5);
  EXPECT_FALSE(platform::ReplaceFileInOneStep(target, other.data(), other.size()));
  EXPECT_FALSE(platform::WriteFileReplacing(target, other.data(), other.size()));
  EXPECT_FALSE(platform::RemoveFile(target));
  EXPECT_TRUE(platform::FileExists(target));
  EXPECT_EQ(ReadBytes(target), Pattern(100, 2));  // still readable, still whole
}

// The replacement in one step: the new bytes under the old name, nothing
// left beside it, and the file as it was otherwise (Linux: owner and
// permission bits; Windows: attributes).
TEST(Files, AReplacementInOneStepKeepsWhatTheFileWas) {
  ScratchFolder scratch;
  const std::string target = scratch.File("installed.otf");
  WriteBytes(target, Pattern(100, 2));
#ifdef _WIN32
  ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
#else
  ::chmod(target.c_str(), 0640);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
  }
#endif
  const std::vector<std::uint8_t> revised = Pattern(300, 9);
  ASSERT_TRUE(platform::ReplaceFileInOneStep(target, revised.data(), revised.size()));
  EXPECT_EQ(ReadBytes(target), revised);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.Path())) ++files;
  EXPECT_EQ(files, 1u);
#ifdef _WIN32
  EXPECT_EQ(::GetFileAttributesA(target.c_str()), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
  ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
  }
#endif
  // A missing file is not replaced, and nothing is made.
  EXPECT_FALSE(platform::ReplaceFileInOneStep(scratch.File("missing.otf"), revised.data(), revised.size()));
  EXPECT_FALSE(platform::FileExists(scratch.File("missing.otf")));
}

#ifdef _WIN32
// A font that another process holds open, sharing no deletion, as Windows
// holds a font loaded into the session: the hold is let go, the replacement
// tried again, and the font taken back as often as it was let go. A holder
// that never lets go leaves the font as it was and nothing beside it; one
// that lets go after a second sees it replaced.
TEST(Files, AFontInUseIsReleasedTriedAgainAndTakenBack) {
  ScratchFolder scratch;
  const std::string target = scratch.File("installed.otf");
  const std::vector<std::uint8_t> old =
      ReadBytes(test_support::SourcePath("resources/demo/installed/TesselDemoSansJP-Regular.otf.installed"));
  const std::vector<std::uint8_t> revised =
      ReadBytes(test_support::SourcePath("resources/demo/revised/TesselDemoSansJP-Regular.otf"));
  test_support::RecordedFontHolds holds(2);
  platform::SetSystemActions(&holds);
  for (const bool letsGo : {false, true}) {
    SCOPED_TRACE(letsGo ? "lets go after a second" : "never lets go");
    WriteBytes(target, old);
    holds.log.clear();
    const HANDLE held = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread holder([&] {
      if (letsGo) {
        ::Sleep(1000);
        ::CloseHandle(held);
      }
    });
    const bool replaced = platform::ReplaceFileInOneStep(target, revised.data(), revised.size());
    holder.join();
    if (!letsGo) ::CloseHandle(held);
    EXPECT_EQ(replaced, letsGo);
    EXPECT_EQ(ReadBytes(target), letsGo ? revised : old);
    EXPECT_EQ(holds.log, (std::vector<std::string>{"release " + target, "restore " + target + " 2"}));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.Path())) ++files;
    EXPECT_EQ(files, 1u);
  }
  platform::SetSystemActions(nullptr);
}
#endif

TEST(Files, RemoveAndExist) {
  ScratchFolder scratch;
  const std::string path = scratch.File("copy.otf");
  EXPECT_FALSE(platform::FileExists(path));
  EXPECT_FALSE(platform::RemoveFile(path));
  WriteBytes(path, Pattern(3, 1));
  EXPECT_TRUE(platform::FileExists(path));
  EXPECT_TRUE(platform::RemoveFile(path));
  EXPECT_FALSE(platform::FileExists(path));

  std::filesystem::create_directory(scratch.File("folder"));
  EXPECT_TRUE(platform::FileExists(scratch.File("folder")));
  EXPECT_FALSE(platform::RemoveFile(scratch.File("folder")));
}

TEST(FileFaults, EveryOperationCanBeRefused) {
  ScratchFolder scratch;
  const std::string existing = scratch.File("existing.otf");
  WriteBytes(existing, Pattern(64, 1));
  std::vector<std::pair<FileOp, std::string>> asked;
  FaultHook hook([&](FileOp op, const std::string& path) {
    asked.emplace_back(op, path);
    return Fault::Refuse;
  });

  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(platform::ReadWholeFile(existing, bytes));
  EXPECT_FALSE(WriteNew(scratch.File("new.tmp"), Pattern(8, 1)));
  EXPECT_FALSE(platform::FileExists(scratch.File("new.tmp")));
  const std::vector<std::uint8_t> other = Pattern(8, 9);
  EXPECT_FALSE(platform::WriteFileReplacing(existing, other.data(), other.size()));
  EXPECT_FALSE(platform::CopyFileOver(existing, scratch.File("copy.otf")));
  EXPECT_FALSE(platform::FileExists(scratch.File("copy.otf")));
  EXPECT_FALSE(platform::RemoveFile(existing));

  const std::vector<std::pair<FileOp, std::string>> expected = {{FileOp::Open, existing},
                                                                {FileOp::Create, scratch.File("new.tmp")},
                                                                {FileOp::Create, existing},
                                                                {FileOp::Copy, scratch.File("copy.otf")},
                                                                {FileOp::Delete, existing}};
  EXPECT_EQ(asked, expected);
  platform::SetFileFaultHook(nullptr);
  EXPECT_EQ(ReadBytes(existing), Pattern(64, 1));
}

TEST(FileFaults, OperationsStoppedPartWayFailAndLeaveWhatAFullDiskLeaves) {
  ScratchFolder scratch;
  const std::string source = scratch.File("revised.otf");
  const std::string target = scratch.File("installed.otf");
  WriteBytes(source, Pattern(1000, 1));
  WriteBytes(target, Pattern(1500, 2));
  FaultHook hook([](FileOp op, const std::string&) {
    return (op == FileOp::Write || op == FileOp::Copy || op == FileOp::Read) ? Fault::PartWay : Fault::None;
  });

  // A new file that could not be written whole is removed again.
  EXPECT_FALSE(WriteNew(scratch.File("new.tmp"), Pattern(1000, 3)));
  EXPECT_FALSE(platform::FileExists(scratch.File("new.tmp")));

  // A copy cut off leaves the target with the first half of the source.
  EXPECT_FALSE(platform::CopyFileOver(source, target));
  const std::vector<std::uint8_t> whole = Pattern(1000, 1);
  const std::vector<std::uint8_t> half(whole.begin(), whole.begin() + 500);
  std::vector<std::uint8_t> read;
  EXPECT_FALSE(platform::ReadWholeFile(target, read));  // the read is stopped part-way too
  EXPECT_TRUE(read.empty());
  platform::SetFileFaultHook(nullptr);
  EXPECT_EQ(ReadBytes(target), half);
}

TEST(TempFiles, FreshNamesFromTimeAndRandomNumber) {
  std::string folder;
  ASSERT_TRUE(platform::GetTempFolder(folder));
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), platform::kPathSeparator);
  EXPECT_LE(folder.size(), 259u);
  EXPECT_TRUE(platform::FileExists(folder));

  std::string path;
  ASSERT_TRUE(platform::FormTempPath(".ini", path));
  ASSERT_EQ(path.compare(0, folder.size(), folder), 0);
  const std::string name = path.substr(folder.size());
  ASSERT_GT(name.size(), 4u);
  EXPECT_EQ(name.substr(name.size() - 4), ".ini");
  for (std::size_t i = 0; i + 4 < name.size(); ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(name[i])));

  const std::vector<std::uint8_t> bytes = Pattern(777, 4);
  std::string first, second;
  ASSERT_TRUE(platform::CreateTempFile("", bytes.data(), bytes.size(), first));
  ASSERT_TRUE(platform::CreateTempFile("", bytes.data(), bytes.size(), second));
  EXPECT_NE(first, second);
  EXPECT_EQ(ReadBytes(first), bytes);
  EXPECT_EQ(ReadBytes(second), bytes);
  EXPECT_TRUE(platform::RemoveFile(first));
  EXPECT_TRUE(platform::RemoveFile(second));
}

}  // namespace
