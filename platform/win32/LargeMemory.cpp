// Large blocks on Windows: VirtualAlloc with MEM_RESERVE | MEM_COMMIT, which
// gives whole pages (the address rounded to the 64 KiB allocation
// granularity) that the system sets to zero before first use, and
// VirtualFree with MEM_RELEASE and size 0, which frees the whole reservation
// VirtualAlloc made. Large pages (MEM_LARGE_PAGES) would need the
// SeLockMemoryPrivilege, which even administrators do not hold unless it is
// granted to them, so plain pages are used.
#include "platform/LargeMemory.h"

#include <windows.h>

namespace platform {

bool MapLargeBlock(std::size_t size, LargeBlock& block) {
  block = LargeBlock();
  if (size == 0) return false;
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  const std::size_t page = info.dwPageSize;
  if (size > static_cast<std::size_t>(-1) - page) return false;
  const std::size_t length = (size + page - 1) / page * page;
  void* base = ::VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (base == nullptr) return false;
  block = {base, length};
  return true;
}

void UnmapLargeBlock(LargeBlock& block) {
  if (block.base != nullptr) ::VirtualFree(block.base, 0, MEM_RELEASE);
  block = LargeBlock();
}

void MarkBlockInUse(const LargeBlock&, std::size_t) {}

}  // namespace platform
