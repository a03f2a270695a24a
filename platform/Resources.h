// The program's own read-only data blocks: the update list ("INIFILE" 2000),
// the patches ("FONT_PA" 2001...) and the download names ("DLNAMES" 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct ResourceBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// Finds the block of `type` and `number` in the running executable (or in the
// source installed with SetResourceSource). False when it is missing, cannot
// be loaded or is empty. The bytes stay valid for the life of the process (or
// of the installed source).
bool LoadOwnResource(const char* type, std::uint16_t number, ResourceBytes& out);

// Lets the pages of the executable's blocks that have been read (patches
// copied, patch headers looked at, and the pages the system read ahead
// around them) leave the program's memory: they are the executable's own,
// and come back from it should they be read again. Without it, a run of
// hundreds of fonts would end holding every patch it carries. Blocks of an
// installed source are left as they are.
void SetAsideOwnResources();

// Another place to take the blocks from. The tools install an update data
// folder's files as one; tests install crafted blocks.
class ResourceSource {
 public:
  virtual ~ResourceSource() = default;
  virtual bool Find(const char* type, std::uint16_t number, ResourceBytes& out) const = 0;
};

// Installs `source` (not owned) in place of the executable's own resources;
// nullptr goes back to the executable.
void SetResourceSource(const ResourceSource* source);

// Blocks held in memory, by type and number.
class MemoryResources : public ResourceSource {
 public:
  void Add(const std::string& type, std::uint16_t number, std::vector<std::uint8_t> bytes);
  bool Find(const char* type, std::uint16_t number, ResourceBytes& out) const override;

 private:
  std::map<std::pair<std::string, std::uint16_t>, std::vector<std::uint8_t>> m_blocks;
};

}  // namespace platform
