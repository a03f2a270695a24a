// Fuzz target: a patch of arbitrary bytes loaded and applied to a small font
// by the updater's own assembly, up to the point where the file is written.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/OpenTypeManager.h"
#include "font/BigEndian.h"
#include "font/FontWords.h"
#include "patch/MakeSabunData.h"
#include "platform/Resources.h"

namespace {

int Continue(int, int, const char*, const char*, void*) { return 0; }

void Append(std::vector<std::uint8_t>& font, std::vector<std::uint8_t>& directory, const char* tag,
            const std::vector<std::uint8_t>& data) {
  const std::size_t entry = directory.size();
  directory.resize(entry + 16);
  std::memcpy(directory.data() + entry, tag, 4);
  StoreU32(directory.data() + entry + 4, CalcTableCheckSum(data, static_cast<std::uint32_t>(data.size())));
  StoreU32(directory.data() + entry + 8, static_cast<std::uint32_t>(font.size()));
  StoreU32(directory.data() + entry + 12, static_cast<std::uint32_t>(data.size()));
  font.insert(font.end(), data.begin(), data.end());
  font.resize(AlignLength4(static_cast<std::uint32_t>(font.size())), 0);
}

// Four tables: CFF , head, maxp, name, laid out after a 12 + 64 byte header.
std::vector<std::uint8_t> SmallFont() {
  std::vector<std::uint8_t> head(54, 0);
  StoreU32(head.data(), 0x00010000);
  StoreU32(head.data() + 4, 0x00010000);
  std::vector<std::uint8_t> name(6 + 5 * 12, 0);
  StoreU16(name.data() + 2, 5);
  StoreU16(name.data() + 4, static_cast<std::uint16_t>(name.size()));
  for (int i = 0; i < 5; ++i) {
    StoreU16(name.data() + 6 + 12 * i, 1);
    StoreU16(name.data() + 6 + 12 * i + 8, 4);
  }
  name.insert(name.end(), {'D', 'e', 'm', 'o'});
  const std::vector<std::uint8_t> cff(37, 0x2A);
  const std::vector<std::uint8_t> maxp = {0, 0, 0x50, 0, 0, 3};
  std::vector<std::uint8_t> font(12 + 4 * 16, 0);
  std::vector<std::uint8_t> directory;
  StoreU32(font.data(), 0x4F54544F);
  StoreU16(font.data() + 4, 4);
  Append(font, directory, "CFF ", cff);
  Append(font, directory, "head", head);
  Append(font, directory, "maxp", maxp);
  Append(font, directory, "name", name);
  std::memcpy(font.data() + 12, directory.data(), directory.size());
  return font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> font = SmallFont();

  std::string name;
  std::uint32_t revision = 0;
  CMakeSabunData::ReadPatchHeaderBytes({data, size}, name, revision);

  platform::MemoryResources resources;
  resources.Add("FONT_PA", 2001, std::vector<std::uint8_t>(data, data + size));
  platform::SetResourceSource(&resources);
  COpenTypeManager manager;
  int window = 0;
  if (manager.ReadFontImage(font, "fuzz.otf", Continue, &window, 1, 0) == 0) {
    // A folder that does not exist: everything but the write runs.
    manager.BuildNewFont("fuzz.otf", 2001, "/nonexistent-tessel-fuzz/out", Continue, &window, 1, 0);
  }
  platform::SetResourceSource(nullptr);
  return 0;
}
