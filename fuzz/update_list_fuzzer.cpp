// Fuzz target: the update list's INI text of arbitrary bytes, read through
// the INI reader as the updater reads it (entries, then the start dialog's
// lines).
#include <cstdint>
#include <vector>

#include "patch/ResFileCtrl.h"
#include "platform/Resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static platform::MemoryResources* resources = [] {
    auto* blocks = new platform::MemoryResources();
    // Patch blocks for the entries that name them; their bytes do not matter here.
    for (std::uint16_t number : {2001, 2002, 2003}) blocks->Add("FONT_PA", number, {'V', 'K', 'T', 'P'});
    return blocks;
  }();
  resources->Add("INIFILE", 2000, std::vector<std::uint8_t>(data, data + size));
  platform::SetResourceSource(resources);
  CResFileCtrl* list = CResFileCtrl::GetUpdateList();
  list->ReadStartDialogLines();
  CResFileCtrl::ReleaseUpdateList();
  platform::SetResourceSource(nullptr);
  return 0;
}
