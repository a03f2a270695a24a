// Reading an update data folder as the resources the updater carries.
#include "tools/authoring/UpdateDataFolder.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "font/OpenTypeFont.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/ReachedFiles.h"

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

DataFileRead ReadUpdateDataFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  platform::FileReader reader;
  if (!reader.Open(path)) return DataFileRead::kUnreadable;
  if (reader.Size() > kLargestFontFile) return DataFileRead::kTooLarge;
  try {
    bytes.resize(static_cast<std::size_t>(reader.Size()));
  } catch (const std::bad_alloc&) {
    return DataFileRead::kUnreadable;
  }
  if (!reader.ReadAt(0, bytes)) {
    bytes.clear();
    return DataFileRead::kUnreadable;
  }
  return DataFileRead::kRead;
}

std::string DataFileProblem(const std::string& path, DataFileRead result) {
  if (result == DataFileRead::kTooLarge)
    return path + " is larger than " + std::to_string(kLargestFontFile >> 20) + " MiB, more than any update holds";
  return "cannot read " + path;
}

bool LoadUpdateDataFolder(const std::string& folder, platform::MemoryResources& blocks, std::string& error) {
  std::string base = folder;
  if (!base.empty() && base.back() != platform::kPathSeparator && base.back() != '/') base += platform::kPathSeparator;
  std::vector<std::uint8_t> bytes;
  const DataFileRead list = ReadUpdateDataFile(base + kUpdateListFileName, bytes);
  if (list != DataFileRead::kRead) {
    error = DataFileProblem(base + kUpdateListFileName, list);
    return false;
  }
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
      const DataFileRead read = ReadUpdateDataFile(patches + entry.name, patch);
      if (read != DataFileRead::kRead) {
        error = DataFileProblem(patches + entry.name, read);
        return false;
      }
      blocks.Add("FONT_PA", number, std::move(patch));
    }
  }
  std::vector<std::uint8_t> names;
  if (ReadUpdateDataFile(base + kDownloadNamesFileName, names) == DataFileRead::kRead)
    blocks.Add("DLNAMES", 1, std::move(names));
  return true;
}

}  // namespace authoring
