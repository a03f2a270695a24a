// The updater in a terminal: one copy at a time, then the run.
#include <iostream>

#include "app/terminal/ConsoleFlow.h"
#include "platform/System.h"
#include "platform/Text.h"

int main() {
  platform::SingleInstanceLock lock(platform::ExecutableBaseName() + ".EXE");
  if (lock.AnotherCopyRunning()) return 0;
  CConsoleFlow flow(std::cin, std::cout, platform::StandardOutputIsTerminal());
  return flow.Run();
}
