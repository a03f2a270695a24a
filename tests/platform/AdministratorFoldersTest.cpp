// Which folders only administrators can write: the one question behind a
// revision left to the restart. Linux answers from owners and modes up to
// the root; Windows from the system font folder's identity or the security
// descriptors (Wine gives every other folder the same made-up one, which
// lets its user write, so the descriptor rule is tried on descriptors made
// here).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include "platform/win32/Reach.h"
#endif

#include <string>

#include "platform/Files.h"
#include "platform/ReachedFiles.h"
#include "tests/support/TestFiles.h"

using test_support::ScratchFolder;

namespace {

bool OnlyAdministratorsWriteFolderOf(const std::string& path) {
  platform::FileIdentity file;
  return platform::LookUpFile(path, file) && platform::OnlyAdministratorsWrite(file);
}

}  // namespace

TEST(AdministratorFolders, AUsersScratchFolderIsNotOneOfThem) {
  ScratchFolder scratch;
  const std::string path = scratch.File("font.otf");
  ASSERT_TRUE(platform::WriteNewFile(path, reinterpret_cast<const std::uint8_t*>("OTTO"), 4));
  EXPECT_FALSE(OnlyAdministratorsWriteFolderOf(path));
  EXPECT_FALSE(platform::OnlyAdministratorsWrite(platform::FileIdentity{}));
}

#ifdef _WIN32
TEST(AdministratorFolders, TheSystemFontFolderIsKnownByItsIdentity) {
  char fonts[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_FONTS, nullptr, SHGFP_TYPE_CURRENT, fonts), S_OK);
  const std::string path = std::string(fonts) + "\\tessel-administrators-test.otf";
  platform::RemoveFile(path);
  ASSERT_TRUE(platform::WriteNewFile(path, reinterpret_cast<const std::uint8_t*>("OTTO"), 4));
  EXPECT_TRUE(OnlyAdministratorsWriteFolderOf(path));
  platform::RemoveFile(path);
}

TEST(AdministratorFolders, DescriptorsThatLetOnlyAdministratorsChangeAFolder) {
  constexpr DWORD kRights = FILE_ADD_FILE | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
  struct Case {
    const wchar_t* sddl;
    bool only;
  } cases[] = {
      // SYSTEM and Administrators full control, Users read and execute.
      {L"O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)", true},
      {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;;FA;;;SY)", true},
      // Entries for what is created below, and denials, grant nothing here.
      {L"O:BAD:(A;OICIIO;FA;;;CO)(A;OICIIO;GA;;;BU)(D;;FA;;;WD)(A;;FA;;;SY)", true},
      {L"O:BAD:", true},  // an empty list: no one may do anything
      {L"O:BAD:(A;;FA;;;SY)(A;;FA;;;BU)", false},
      {L"O:BAD:(A;;FA;;;SY)(A;;0x2;;;AU)", false},  // Authenticated Users may add files
      {L"O:BAD:(A;;GW;;;WD)", false},
      {L"O:BUD:(A;;FA;;;SY)", false},  // a user owns it, so may change who may
      {L"O:BA", false},                // no list at all: everyone may do anything
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sddl, c.sddl + wcslen(c.sddl)));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl, SDDL_REVISION_1, &descriptor, nullptr));
    EXPECT_EQ(platform::win32::LetsOnlyAdministrators(descriptor, kRights), c.only);
    ::LocalFree(descriptor);
  }
}
#else
TEST(AdministratorFolders, RootsOwnFoldersUpToTheRootAreOnes) {
  // /usr/bin and the folders above it belong to root and let no one else
  // write. The scratch folder above is root's too when the tests run as
  // root, but /tmp above it lets everyone make names.
  EXPECT_TRUE(OnlyAdministratorsWriteFolderOf("/usr/bin/env"));
}
#endif
