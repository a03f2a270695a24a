// The resource source switch and the in-memory blocks, shared by both
// platforms; the executable's own blocks are in win32/ and posix/.
#include "platform/Resources.h"

namespace platform {

bool LoadExecutableResource(const char* type, std::uint16_t number, ResourceBytes& out);
void SetAsideExecutableResources();

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

void SetAsideOwnResources() {
  if (InstalledSource() == nullptr) SetAsideExecutableResources();
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

}  // namespace platform
