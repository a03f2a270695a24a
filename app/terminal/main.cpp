// The updater on Linux: one copy at a time, then the run, drawn with
// ncursesw in a terminal; without a terminal nothing is changed. With
// --unattended (Ansible, Salt, a boot script) it runs with no screen at all
// and answers as the administrator who started it would.
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <iostream>
#include <string>

#include "app/KestrelApp.h"
#include "app/RunOutcome.h"
#include "app/UnattendedFace.h"
#include "app/terminal/CursesFace.h"
#include "platform/posix/ElevatedEnvironment.h"

namespace {

constexpr const char* kUsage =
    "使い方: tessel_202310 [--unattended]\n"
    "Usage: tessel_202310 [--unattended]\n"
    "\n"
    "Revises the installed fonts this update covers. Without options it runs in a terminal and asks before it\n"
    "changes anything. It needs root.\n"
    "\n"
    "  --unattended  run with no terminal and no questions, for deployment tools (Ansible, Salt, a boot\n"
    "                script): it searches every fixed drive, revises every font found and never restarts.\n"
    "                One line per font and a closing line go to standard output, and the closing line to\n"
    "                syslog.\n"
    "  --help        show this text\n"
    "\n"
    "Exit status: 0 fonts revised; 5 nothing to revise (no font found, or all revised already; --unattended\n"
    "only, the terminal run reports 1); 1 a font failed, the run was stopped or could not start; 2 no terminal\n"
    "or a wrong option; 3 another copy is running; 4 the lock that marks a running copy cannot be trusted.\n";

// The texts are UTF-8: the terminal is driven in a UTF-8 locale, the user's
// own when it is one.
void UseUtf8Locale() {
  if (std::setlocale(LC_ALL, "") != nullptr && std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0) return;
  std::setlocale(LC_ALL, "C.UTF-8");
}

int RunUnattended() {
  CKestrelApp app;
  CUnattendedFace face("tessel_202310");
  const RunOutcome outcome = app.InitInstance(face);
  app.ExitInstance();
  const int status = LinuxExitStatus(outcome, true);
  face.Finish(outcome, status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  platform::posix::LeaveOutUsersSettings();
  bool unattended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (option != "--unattended") {
      std::cerr << "tessel_202310: 不明なオプションです / unknown option: " << option << "\n" << kUsage;
      return exit_status::kLinuxUsage;
    }
    unattended = true;
  }
  if (unattended) return RunUnattended();

  if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDOUT_FILENO) == 0) {
    std::cerr << "tessel_202310: 端末の中で実行してください。標準入力または標準出力が端末ではないため、"
                 "フォントは何も変更していません。\n"
                 "tessel_202310: run this program in a terminal (or, for deployment tools, with --unattended); "
                 "standard input or output is not one, so no font was changed.\n";
    return exit_status::kLinuxUsage;
  }
  UseUtf8Locale();
  CKestrelApp app;
  // The lock before the screen: a copy that does not run leaves the
  // terminal as it was.
  RunOutcome outcome = app.TakeInstanceLock();
  if (outcome == RunOutcome::kRevised) {
    CCursesFace face;
    outcome = app.InitInstance(face);
  }
  app.ExitInstance();
  if (outcome == RunOutcome::kAnotherCopy) {
    std::cerr << "tessel_202310: 改訂プログラムは既に実行中です。フォントは何も変更していません。\n"
                 "tessel_202310: another copy of this program is running; no font was changed.\n";
  } else if (outcome == RunOutcome::kLockRefused) {
    std::cerr << "tessel_202310: 実行中を示すロックファイルが信頼できません。フォントは何も変更していません。\n"
                 "tessel_202310: the lock file that marks a running copy is not one this program made (another "
                 "owner, open to others, or a link); no font was changed.\n";
  }
  return LinuxExitStatus(outcome, false);
}
