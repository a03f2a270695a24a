// The updater in a terminal: one copy at a time, then the run.
#include <iostream>

#include "app/KestrelApp.h"
#include "app/terminal/LineFace.h"
#include "platform/Text.h"

int main() {
  CLineFace face(std::cin, std::cout, platform::StandardOutputIsTerminal());
  CKestrelApp app;
  const int status = app.InitInstance(face);
  app.ExitInstance();
  return status;
}
