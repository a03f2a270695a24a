// sabun info PATCH: what a patch holds, as the updater reads it: the header
// and one line per table record.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "patch/MakeSabunData.h"
#include "tools/authoring/InputFile.h"
#include "tools/sabun/Commands.h"

namespace {

int RunInfoCommand(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (authoring::ReadInputFile(path, bytes, error) != authoring::InputRead::kRead) {
    std::fprintf(stderr, "sabun info: %s\n", error.c_str());
    return 1;
  }
  auto data = std::make_unique<CMakeSabunData>();
  if (!data->LoadPatchBytes(bytes)) {
    std::fprintf(stderr, "sabun info: %s is not a patch the updater loads: %s\n", path.c_str(), data->refusal.c_str());
    return 1;
  }
  std::size_t nameLength = 0;
  while (nameLength < kPatchFontNameSize && data->fontName[nameLength] != 0) ++nameLength;
  std::printf("magic: %s\n", PrintableTag(data->magic).c_str());
  std::printf("font name: %s\n",
              ForOutput(std::string(reinterpret_cast<const char*>(data->fontName), nameLength)).c_str());
  std::printf("old revision: 0x%08X\n", data->oldRevision);
  std::printf("new file size: %u\n", data->newFileSize);
  std::printf("table count: %u\n", static_cast<unsigned>(data->tableCount));
  for (const auto& record : data->records) {
    const SabunRecord& r = record->record;
    std::printf("%s %u %u %u %u %u old=%zu new=%zu\n", PrintableTag(r.tag).c_str(), static_cast<unsigned>(r.newIndex),
                static_cast<unsigned>(r.fileOrder), r.dataOffset, r.newLength, r.newOffset,
                record->oldSegments.GetSize(), record->newSegments.size());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

void AddInfoCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand("info", "show a patch's header and table records as the updater reads them");
  auto path = std::make_shared<std::string>();
  command->add_option("PATCH", *path, "the patch file")->required();
  SetCommandAction(command, [path]() { return RunInfoCommand(*path); });
}
