// A stand-in for a deployment agent (Intune's, Configuration Manager's, a
// startup script's): a Windows service that starts the updater as its child,
// with its standard output captured in a file, and reads its exit status.
// Also what the test of a deployed run needs around it: a program that holds
// a font open as another session's load would, and a wait for the updater's
// mutex.
//
//   deploy_agent deploy UPDATER OUT   installs this program as a service,
//       starts it, waits for it to stop and removes it; the service runs
//       UPDATER with standard output and error to OUT.txt and writes its exit
//       status to OUT.status and its window station's name and WSF_VISIBLE
//       to OUT.station. Prints the status.
//   deploy_agent service UPDATER OUT  (the service itself, started by the SCM)
//   deploy_agent hold PATH SECONDS    holds PATH open, sharing reads only
//   deploy_agent waitmutex NAME SECONDS  waits until the mutex NAME exists
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kServiceName[] = L"TesselDeployAgent";

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};
std::wstring g_updater;
std::wstring g_out;

void SetState(DWORD state, DWORD exitCode = NO_ERROR) {
  g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  g_status.dwWin32ExitCode = exitCode;
  ::SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  ::CloseHandle(file);
  return ok;
}

void RecordStation() {
  wchar_t name[256] = {};
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  const HWINSTA station = ::GetProcessWindowStation();
  ::GetUserObjectInformationW(station, UOI_NAME, name, sizeof name, &needed);
  ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed);
  char text[600];
  std::snprintf(text, sizeof text, "%ls visible=%d\n", name, (flags.dwFlags & WSF_VISIBLE) != 0 ? 1 : 0);
  WriteText(g_out + L".station", text);
}

// The updater as the agent starts it: no window of its own to show, its
// standard output and error in OUT.txt.
DWORD RunUpdater() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE output =
      ::CreateFileW((g_out + L".txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  if (output == INVALID_HANDLE_VALUE) return 9001;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::wstring command = L"\"" + g_updater + L"\"";
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(g_updater.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
    ::CloseHandle(output);
    return 9002;
  }
  ::CloseHandle(output);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 9003;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return status;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  g_statusHandle = ::RegisterServiceCtrlHandlerExW(kServiceName, Control, nullptr);
  if (g_statusHandle == nullptr) return;
  SetState(SERVICE_RUNNING);
  RecordStation();
  const DWORD status = RunUpdater();
  WriteText(g_out + L".status", std::to_string(status) + "\n");
  SetState(SERVICE_STOPPED);
}

int Deploy(const std::wstring& updater, const std::wstring& out) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring command = L"\"" + std::wstring(self) + L"\" service \"" + updater + L"\" \"" + out + L"\"";
  const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return 2;
  SC_HANDLE service = ::CreateServiceW(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  if (service == nullptr) service = ::OpenServiceW(manager, kServiceName, SERVICE_ALL_ACCESS);
  if (service == nullptr || !::StartServiceW(service, 0, nullptr)) {
    std::printf("the service did not start (%lu)\n", ::GetLastError());
    return 3;
  }
  SERVICE_STATUS status{};
  for (int i = 0; i < 6000; ++i) {  // ten minutes at most
    ::Sleep(100);
    if (::QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED) break;
  }
  ::DeleteService(service);
  ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);
  if (status.dwCurrentState != SERVICE_STOPPED) return 4;
  std::printf("the service stopped\n");
  return 0;
}

int Hold(const std::wstring& path, int seconds) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("cannot open the file (%lu)\n", ::GetLastError());
    return 1;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  ::CloseHandle(file);
  return 0;
}

int WaitMutex(const std::wstring& name, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex != nullptr) {
      ::CloseHandle(mutex);
      return 0;
    }
    ::Sleep(50);
  }
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"service" && argc == 4) {
    g_updater = argv[2];
    g_out = argv[3];
    wchar_t name[] = L"TesselDeployAgent";
    SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
  }
  if (mode == L"deploy" && argc == 4) return Deploy(argv[2], argv[3]);
  if (mode == L"hold" && argc == 4) return Hold(argv[2], _wtoi(argv[3]));
  if (mode == L"waitmutex" && argc == 4) return WaitMutex(argv[2], _wtoi(argv[3]));
  std::printf("usage: deploy_agent deploy|hold|waitmutex ...\n");
  return 2;
}
