// Fuzz target: the font reader and the identity read on arbitrary bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "font/OpenTypeFont.h"

namespace {
int Continue(int, int, const char*, const char*, void*) { return 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  COpenTypeFont font;
  int window = 0;
  if (font.ReadFontImage(bytes, "fuzz.otf", Continue, &window, 1, 0) == 0) {
    for (const auto& table : font.tables) {
      volatile std::uint8_t sink = 0;
      for (std::uint8_t b : table->PaddedData()) sink = sink ^ b;
      (void)sink;
    }
    font.FindTagObject("head");
  }
  std::uint32_t revision = 0;
  std::string name;
  COpenTypeFont identity;
  identity.ReadFontIdentityImage(std::move(bytes), revision, name);
  return 0;
}
