// Reaching a found file again on Windows: its folder is held while the file
// is replaced, so that nobody can rename it away meanwhile, and the new file
// goes in place through its own handle relative to that folder.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileFaults.h"
#include "platform/ReachedFiles.h"
#include "tests/support/TestFiles.h"

using platform::Fault;
using platform::FileOp;
using test_support::ReadBytes;
using test_support::ScratchFolder;
using test_support::WriteBytes;

namespace {

class FaultHook {
 public:
  explicit FaultHook(platform::FileFaultHook hook) { platform::SetFileFaultHook(std::move(hook)); }
  ~FaultHook() { platform::SetFileFaultHook(nullptr); }
};

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

std::string Demo(const char* relative) { return test_support::SourcePath(std::string("resources/demo/") + relative); }

}  // namespace

// At the moment the new file is put in place (the hook's Replace), another
// rename of the folder is refused as a sharing violation; the font is
// replaced in that folder, named by its new identity, with nothing beside
// it and nothing in the current folder (a rename by a name relative to the
// current folder would have put it there).
TEST(ReachedFiles, TheFolderIsHeldWhileItsFileIsReplaced) {
  ScratchFolder scratch;
  ScratchFolder elsewhere;
  const std::string folder = scratch.File("fonts");
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string font = folder + "\\TesselDemoSansJP-Bold.otf";
  WriteBytes(font, ReadBytes(Demo("installed/TesselDemoSansJP-Bold.otf.installed")));
  const std::vector<std::uint8_t> revised = ReadBytes(Demo("revised/TesselDemoSansJP-Bold.otf"));
  platform::FileIdentity file;
  ASSERT_TRUE(platform::LookUpFile(font, file));
  const platform::FileIdentity before = file;

  char current[MAX_PATH] = {};
  ASSERT_NE(::GetCurrentDirectoryA(MAX_PATH, current), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryA(elsewhere.Path().c_str()));
  DWORD renameError = 0;
  bool renamed = false;
  {
    FaultHook hook([&](FileOp op, const std::string&) {
      if (op == FileOp::Replace) {
        renamed = ::MoveFileExA(folder.c_str(), (folder + "-moved").c_str(), 0) != 0;
        renameError = ::GetLastError();
      }
      return Fault::None;
    });
    EXPECT_TRUE(platform::ReplaceReachedFile(file, revised.data(), revised.size()));
  }
  ::SetCurrentDirectoryA(current);
  EXPECT_FALSE(renamed);
  EXPECT_EQ(renameError, DWORD{ERROR_SHARING_VIOLATION});
  EXPECT_EQ(ReadBytes(font), revised);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"TesselDemoSansJP-Bold.otf"});
  EXPECT_TRUE(Names(elsewhere.Path()).empty());
  platform::FileIdentity now;
  ASSERT_TRUE(platform::LookUpFile(font, now));
  EXPECT_TRUE(file.SameFileAs(now));
  EXPECT_FALSE(file.SameFileAs(before));
  // Once the replacement is over, the folder is free again.
  EXPECT_TRUE(::MoveFileExA(folder.c_str(), (folder + "-moved").c_str(), 0));
}

// A new file that does not go in place (refused, or cut short by a full
// disk) is deleted, and the font stays as it was.
TEST(ReachedFiles, ANewFileThatDoesNotGoInPlaceIsDeleted) {
  ScratchFolder scratch;
  const std::string font = scratch.File("TesselDemoSansJP-Bold.otf");
  const std::vector<std::uint8_t> old = ReadBytes(Demo("installed/TesselDemoSansJP-Bold.otf.installed"));
  const std::vector<std::uint8_t> revised = ReadBytes(Demo("revised/TesselDemoSansJP-Bold.otf"));
  WriteBytes(font, old);
  for (const FileOp faulty : {FileOp::Replace, FileOp::Write, FileOp::Flush}) {
    SCOPED_TRACE(static_cast<int>(faulty));
    platform::FileIdentity file;
    ASSERT_TRUE(platform::LookUpFile(font, file));
    FaultHook hook([&](FileOp op, const std::string&) { return op == faulty ? Fault::PartWay : Fault::None; });
    EXPECT_FALSE(platform::ReplaceReachedFile(file, revised.data(), revised.size()));
    EXPECT_EQ(ReadBytes(font), old);
    EXPECT_EQ(Names(scratch.Path()), std::vector<std::string>{"TesselDemoSansJP-Bold.otf"});
  }
}
#endif
