// Fuzz target: a patch of arbitrary bytes loaded and applied to a small font
// by the updater's own assembly, up to the point where the file is written.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "fuzz/FuzzFont.h"
#include "patch/MakeSabunData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> font = fuzz_font::SmallFont(std::vector<std::uint8_t>(37, 0x2A), 0x00010000);
  static const auto Continue = [](int, int, const char*, const char*, void*) { return 0; };

  std::string name;
  std::uint32_t revision = 0;
  CMakeSabunData::ReadPatchHeaderBytes({data, size}, name, revision);

  COpenTypeManager manager;
  int window = 0;
  if (manager.ReadFontImage(font, "fuzz.otf", Continue, &window, 1, 0) == 0) {
    // A folder that does not exist: everything but the write runs.
    manager.BuildNewFontFromBytes("fuzz.otf", {data, size}, "/nonexistent-tessel-fuzz/out", Continue, &window, 1, 0);
  }
  return 0;
}
