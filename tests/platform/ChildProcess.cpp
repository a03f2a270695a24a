// Starting a second copy of the test program on Linux and on Windows.
#include "tests/platform/ChildProcess.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;
#endif

#include <vector>

namespace platform_test {

#ifdef _WIN32

int RunThisProgram(const std::string& filter, const std::string& name, const std::string& value) {
  char exe[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return -1;
  std::string command = "\"";
  command += exe;
  command += "\" --gtest_filter=";
  command += filter;
  std::vector<char> commandLine(command.begin(), command.end());
  commandLine.push_back('\0');
  ::SetEnvironmentVariableA(name.c_str(), value.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const BOOL started =
      ::CreateProcessA(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableA(name.c_str(), nullptr);
  if (!started) return -1;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const BOOL gotCode = ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return gotCode ? static_cast<int>(code) : -1;
}

bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#else

int RunThisProgram(const std::string& filter, const std::string& name, const std::string& value) {
  std::string program = "/proc/self/exe";
  std::string filterArgument = "--gtest_filter=" + filter;
  char* arguments[] = {program.data(), filterArgument.data(), nullptr};
  ::setenv(name.c_str(), value.c_str(), 1);
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ);
  ::unsetenv(name.c_str());
  if (spawned != 0) return -1;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RunningUnderWine() { return false; }

#endif

}  // namespace platform_test
