// sabun font FILE: what the updater reads of an installed font, its name and
// revision as the search reads them, the reader's result and the directory.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "font/ByteReader.h"
#include "font/OpenTypeFont.h"
#include "font/OpenTypeHeader.h"
#include "tools/authoring/InputFile.h"
#include "tools/sabun/Commands.h"

namespace {

// One line per directory entry that lies inside the file, in directory order,
// whether or not the reader accepts the font.
void PrintDirectory(const std::vector<std::uint8_t>& bytes) {
  COpenTypeHeader header;
  if (!header.ParseOffsetTable(bytes)) return;
  CByteReader reader(bytes);
  for (std::size_t i = 0; i < header.numTables; ++i) {
    std::uint8_t tag[4];
    std::uint32_t checkSum = 0, offset = 0, length = 0;
    if (!reader.Seek(kOffsetTableSize + kDirectoryEntrySize * i) || !reader.ReadTag(tag) || !reader.ReadU32(checkSum) ||
        !reader.ReadU32(offset) || !reader.ReadU32(length)) {
      return;
    }
    std::printf("%s 0x%08X 0x%08X 0x%08X\n", PrintableTag(tag).c_str(), offset, length, checkSum);
  }
}

int RunFontCommand(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (authoring::ReadInputFile(path, bytes, error) != authoring::InputRead::kRead) {
    std::fprintf(stderr, "sabun font: %s\n", error.c_str());
    return 1;
  }
  auto font = std::make_unique<COpenTypeFont>();
  const FontIdentity identity = font->ReadFontIdentityParts(bytes);
  const int load = font->ReadFontImage(bytes, path, nullptr, nullptr, 1, 0);
  std::printf("name: %s\n", identity.nameFound ? ForOutput(identity.name).c_str() : "");
  if (identity.revisionFound) {
    std::printf("revision: 0x%08X\n", identity.revision);
  } else {
    std::printf("revision: none\n");
  }
  std::printf("load: %d\n", load);
  PrintDirectory(bytes);
  std::fflush(stdout);
  if (load != 0) {
    std::fprintf(stderr, "sabun font: the updater refuses this font: %s\n", font->refusal.c_str());
    return 1;
  }
  if (!identity.nameFound) {
    std::fprintf(stderr,
                 "sabun font: no font name (the fifth name record yields no single-byte text, and there is "
                 "no Windows English full name or PostScript name of 1 to 63 printable ASCII characters)\n");
    return 1;
  }
  if (!identity.revisionFound) {
    std::fprintf(stderr, "sabun font: no revision (no head table of 54 bytes inside the file)\n");
    return 1;
  }
  return 0;
}

}  // namespace

void AddFontCommand(CLI::App& app) {
  CLI::App* command = app.add_subcommand("font", "show a font's name, revision, reader result and table directory");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "the font file")->required();
  SetCommandAction(command, [path]() { return RunFontCommand(*path); });
}
