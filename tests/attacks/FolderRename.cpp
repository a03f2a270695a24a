// A second Windows process that tries to rename a font's folder away while
// the updater works on the font, at a fixed point: it holds the font open
// sharing reads only, so the updater's replacement waits for it, and tries
// once the updater's new file stands beside the font (the updater holds the
// folder from before that file is made until the font is in place). Then it
// lets go of the font, so the updater's next try goes through.
//
//   folder_rename while-revised FONT SECONDS   the attack; prints
//       "rename: refused (error N)" or "rename: renamed", ends with 0 when
//       refused with error 32, 1 when renamed, 2 when it never saw the
//       updater's new file in SECONDS
//   folder_rename hold-as-before FOLDER SECONDS  holds FOLDER open as the
//       updater used to (FILE_READ_ATTRIBUTES only) and prints "holding"
//   folder_rename rename FROM TO   one rename; prints the outcome, ends with
//       0 when renamed, else with the error
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// Whether the updater's new file ("FONT.tessel-<digits>.part") is beside FONT.
bool NewFileBeside(const std::wstring& font) {
  WIN32_FIND_DATAW found{};
  const HANDLE find = ::FindFirstFileW((font + L".tessel-*.part").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(find);
  return true;
}

int Rename(const std::wstring& from, const std::wstring& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), 0)) {
    std::printf("rename: renamed\n");
    return 0;
  }
  const DWORD error = ::GetLastError();
  std::printf("rename: refused (error %lu)\n", error);
  return static_cast<int>(error);
}

int WhileRevised(const std::wstring& font, int seconds) {
  const HANDLE held = ::CreateFileW(font.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::printf("cannot open the font (%lu)\n", ::GetLastError());
    return 2;
  }
  std::printf("holding the font\n");
  std::fflush(stdout);
  bool seen = false;
  for (int i = 0; i < seconds * 50 && !(seen = NewFileBeside(font)); ++i) ::Sleep(20);
  int result = 2;
  if (seen) {
    const std::wstring folder = FolderOf(font);
    result = Rename(folder, folder + L"-moved") == ERROR_SHARING_VIOLATION ? 0 : 1;
  } else {
    std::printf("the updater's new file never came\n");
  }
  std::fflush(stdout);
  ::CloseHandle(held);
  return result;
}

int HoldAsBefore(const std::wstring& folder, int seconds) {
  const HANDLE held = ::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::printf("cannot open the folder (%lu)\n", ::GetLastError());
    return 2;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  ::CloseHandle(held);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"while-revised" && argc == 4) return WhileRevised(argv[2], _wtoi(argv[3]));
  if (mode == L"hold-as-before" && argc == 4) return HoldAsBefore(argv[2], _wtoi(argv[3]));
  if (mode == L"rename" && argc == 4) return Rename(argv[2], argv[3]);
  std::printf("usage: folder_rename while-revised|hold-as-before|rename ...\n");
  return 2;
}
