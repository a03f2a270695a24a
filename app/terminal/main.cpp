// The updater in a terminal: one copy at a time, then the run, drawn with
// ncursesw. Without a terminal nothing is changed.
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <iostream>

#include "app/KestrelApp.h"
#include "app/terminal/CursesFace.h"

namespace {

// The texts are UTF-8: the terminal is driven in a UTF-8 locale, the user's
// own when it is one.
void UseUtf8Locale() {
  if (std::setlocale(LC_ALL, "") != nullptr && std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0) return;
  std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace

int main() {
  if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDOUT_FILENO) == 0) {
    std::cerr << "tessel_202310: 端末の中で実行してください。標準入力または標準出力が端末ではないため、"
                 "フォントは何も変更していません。\n"
                 "tessel_202310: run this program in a terminal; standard input or output is not one, so no font "
                 "was changed.\n";
    return 2;
  }
  UseUtf8Locale();
  CKestrelApp app;
  // The lock before the screen: a copy that does not run leaves the
  // terminal as it was.
  int status = app.TakeInstanceLock();
  if (status == 0) {
    CCursesFace face;
    status = app.InitInstance(face);
  }
  app.ExitInstance();
  if (status == CKestrelApp::kAnotherCopyStatus) {
    std::cerr << "tessel_202310: 改訂プログラムは既に実行中です。フォントは何も変更していません。\n"
                 "tessel_202310: another copy of this program is running; no font was changed.\n";
  } else if (status == CKestrelApp::kLockRefusedStatus) {
    std::cerr << "tessel_202310: 実行中を示すロックファイルが信頼できません。フォントは何も変更していません。\n"
                 "tessel_202310: the lock file that marks a running copy is not one this program made (another "
                 "owner, open to others, or a link); no font was changed.\n";
  }
  return status;
}
