// A run nobody watches, on Windows: told apart by its session and window
// station; its record on the standard output a deployment agent gave it and
// in the Application event log.
#include "platform/Unattended.h"

#include <windows.h>

namespace platform {
namespace {

std::wstring WidenUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// An event's strings together stay well under the 31,839 characters
// ReportEvent takes.
constexpr std::size_t kEventCharacters = 30000;

}  // namespace

bool NoOneSeesTheScreen() {
  DWORD session = 0;
  if (::ProcessIdToSessionId(::GetCurrentProcessId(), &session) && session == 0) return true;
  HWINSTA station = ::GetProcessWindowStation();
  if (station == nullptr) return false;
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return false;
  return (flags.dwFlags & WSF_VISIBLE) == 0;
}

bool WriteStandardOutput(const std::string& text) {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  std::size_t done = 0;
  while (done < text.size()) {
    const std::size_t left = text.size() - done;
    const DWORD wanted = left > 65536 ? 65536 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!::WriteFile(output, text.data() + done, wanted, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

void WriteSystemLog(const std::string& source, const std::vector<std::string>& lines, bool failed) {
  const HANDLE log = ::RegisterEventSourceW(nullptr, WidenUtf8(source).c_str());
  if (log == nullptr) return;
  const WORD type = failed ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE;
  std::wstring event;
  auto report = [&] {
    if (event.empty()) return;
    const wchar_t* strings[] = {event.c_str()};
    ::ReportEventW(log, type, 0, 0, nullptr, 1, 0, strings, nullptr);
    event.clear();
  };
  for (const std::string& line : lines) {
    std::wstring wide = WidenUtf8(line);
    if (wide.size() > kEventCharacters) wide.resize(kEventCharacters);
    if (event.size() + wide.size() + 2 > kEventCharacters) report();
    if (!event.empty()) event += L"\r\n";
    event += wide;
  }
  report();
  ::DeregisterEventSource(log);
}

}  // namespace platform
