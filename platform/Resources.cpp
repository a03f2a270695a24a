// The resource source switch and the in-memory blocks, shared by both
// platforms; the executable's own blocks are in win32/ and posix/.
#include "platform/Resources.h"

#include <cstdlib>

#include "platform/Drives.h"
#include "platform/Files.h"

namespace platform {

bool LoadExecutableResource(const char* type, std::uint16_t number, ResourceBytes& out);

namespace {
const ResourceSource*& InstalledSource() {
  static const ResourceSource* source = nullptr;
  return source;
}
}  // namespace

void SetResourceSource(const ResourceSource* source) { InstalledSource() = source; }

bool LoadOwnResource(const char* type, std::uint16_t number, ResourceBytes& out) {
  out = ResourceBytes{};
  ResourceBytes found;
  const ResourceSource* source = InstalledSource();
  const bool ok = source ? source->Find(type, number, found) : LoadExecutableResource(type, number, found);
  if (!ok || found.data == nullptr || found.size == 0) return false;
  out = found;
  return true;
}

void MemoryResources::Add(const std::string& type, std::uint16_t number, std::vector<std::uint8_t> bytes) {
  m_blocks[{type, number}] = std::move(bytes);
}

bool MemoryResources::Find(const char* type, std::uint16_t number, ResourceBytes& out) const {
  const auto it = m_blocks.find({type, number});
  if (it == m_blocks.end() || it->second.empty()) return false;
  out.data = it->second.data();
  out.size = it->second.size();
  return true;
}

bool MemoryResources::LoadUpdateDataFolder(const std::string& folder, std::string& error) {
  std::string base = folder;
  if (!base.empty() && base.back() != kPathSeparator && base.back() != '/') base += kPathSeparator;
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(base + "update.ini", bytes)) {
    error = "cannot read " + base + "update.ini";
    return false;
  }
  Add("INIFILE", 2000, std::move(bytes));
  const std::string patches = base + "patches" + kPathSeparator;
  FolderListing listing(patches);
  if (listing.IsOpen()) {
    FolderEntry entry;
    while (listing.Next(entry)) {
      if (entry.attributes & kAttributeFolder) continue;
      const std::string& name = entry.name;
      if (name.size() < 4 || name.compare(name.size() - 3, 3, ".pa") != 0) continue;
      const std::string stem = name.substr(0, name.size() - 3);
      if (stem.empty() || stem.size() > 5 || stem.find_first_not_of("0123456789") != std::string::npos) continue;
      const long number = std::strtol(stem.c_str(), nullptr, 10);
      if (number <= 0 || number > 65535) continue;
      std::vector<std::uint8_t> patch;
      if (!ReadWholeFile(patches + name, patch)) {
        error = "cannot read " + patches + name;
        return false;
      }
      Add("FONT_PA", static_cast<std::uint16_t>(number), std::move(patch));
    }
  }
  std::vector<std::uint8_t> names;
  if (ReadWholeFile(base + "download-names.txt", names)) Add("DLNAMES", 1, std::move(names));
  return true;
}

}  // namespace platform
