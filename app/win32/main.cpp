// The updater on Windows: one copy at a time. The dialogs come with the
// Windows face; until then the program starts and ends.
#include "platform/System.h"

int main() {
  platform::SingleInstanceLock lock(platform::ExecutableBaseName() + ".EXE");
  return 0;
}
