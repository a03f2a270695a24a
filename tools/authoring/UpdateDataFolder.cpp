// Reading an update data folder as the resources the updater carries.
#include "tools/authoring/UpdateDataFolder.h"

#include <cstdlib>
#include <vector>

#include "platform/Drives.h"
#include "platform/Files.h"
#include "tools/authoring/InputFile.h"

namespace authoring {
namespace {

// The number of a patch file name "NNNN.pa" (1 to 65535, at most five
// digits), or 0.
std::uint16_t PatchNumberOf(const std::string& name) {
  if (name.size() < 4 || name.compare(name.size() - 3, 3, ".pa") != 0) return 0;
  const std::string stem = name.substr(0, name.size() - 3);
  if (stem.empty() || stem.size() > 5 || stem.find_first_not_of("0123456789") != std::string::npos) return 0;
  const long number = std::strtol(stem.c_str(), nullptr, 10);
  return number > 0 && number <= 65535 ? static_cast<std::uint16_t>(number) : 0;
}

}  // namespace

std::string PatchFileName(std::uint16_t number) { return std::to_string(number) + ".pa"; }

bool LoadUpdateDataFolder(const std::string& folder, platform::MemoryResources& blocks, std::string& error) {
  std::string base = folder;
  if (!base.empty() && base.back() != platform::kPathSeparator && base.back() != '/') base += platform::kPathSeparator;
  std::vector<std::uint8_t> bytes;
  if (ReadInputFile(base + kUpdateListFileName, bytes, error) != InputRead::kRead) return false;
  blocks.Add("INIFILE", 2000, std::move(bytes));
  const std::string patches = base + kPatchFolderName + platform::kPathSeparator;
  platform::FolderListing listing(patches);
  if (listing.IsOpen()) {
    platform::FolderEntry entry;
    while (listing.Next(entry)) {
      if (entry.attributes & platform::kAttributeFolder) continue;
      const std::uint16_t number = PatchNumberOf(entry.name);
      if (number == 0) continue;
      std::vector<std::uint8_t> patch;
      if (ReadInputFile(patches + entry.name, patch, error) != InputRead::kRead) return false;
      blocks.Add("FONT_PA", number, std::move(patch));
    }
  }
  // The names are optional; a file too large to be them is an error.
  std::vector<std::uint8_t> names;
  std::string namesError;
  switch (ReadInputFile(base + kDownloadNamesFileName, names, namesError)) {
    case InputRead::kRead:
      blocks.Add("DLNAMES", 1, std::move(names));
      break;
    case InputRead::kTooLarge:
      error = namesError;
      return false;
    case InputRead::kUnreadable:
      break;
  }
  return true;
}

}  // namespace authoring
