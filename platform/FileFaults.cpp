// The fault hook shared by both file implementations.
#include "platform/FileFaults.h"

#include <utility>

namespace platform {
namespace {
// Never destroyed: the update list's destructor may still remove its file
// while the program's static objects are destroyed at exit.
FileFaultHook& Hook() {
  static FileFaultHook* hook = new FileFaultHook();
  return *hook;
}
}  // namespace

void SetFileFaultHook(FileFaultHook hook) { Hook() = std::move(hook); }

Fault CheckFileFault(FileOp op, const std::string& path) {
  const FileFaultHook& hook = Hook();
  return hook ? hook(op, path) : Fault::None;
}

}  // namespace platform
