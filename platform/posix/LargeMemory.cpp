// Large blocks on Linux: anonymous mappings, aligned to 2 MiB and marked
// MADV_HUGEPAGE when the kernel offers transparent huge pages to programs
// that ask (its setting reads "[always]" or "[madvise]"). A mapping is zero
// when it is made and is faulted in on first touch, one huge page at a time
// where the kernel can give one and one 4 KiB page otherwise; the contents
// are the same either way.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_ADDRESS_SANITIZER 1
#endif

#include "platform/LargeMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#if defined(TESSEL_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace platform {

#if defined(TESSEL_ADDRESS_SANITIZER)
// AddressSanitizer guards heap blocks only: under it the exact size comes
// from the heap, so that a read past an image is caught.
bool MapLargeBlock(std::size_t size, LargeBlock& block) {
  block = LargeBlock();
  void* base = size == 0 ? nullptr : std::calloc(size, 1);
  if (base == nullptr) return false;
  block = {base, size};
  return true;
}

void UnmapLargeBlock(LargeBlock& block) {
  std::free(block.base);
  block = LargeBlock();
}

void MarkBlockInUse(const LargeBlock& block, std::size_t used) {
  __asan_unpoison_memory_region(block.base, used);
  __asan_poison_memory_region(static_cast<char*>(block.base) + used, block.capacity - used);
}
#else
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

bool HugePagesOffered() {
  static const bool offered = [] {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    std::getline(setting, line);
    return line.find("[always]") != std::string::npos || line.find("[madvise]") != std::string::npos;
  }();
  return offered;
}

std::size_t RoundUp(std::size_t size, std::size_t unit) { return (size + unit - 1) / unit * unit; }

}  // namespace

bool MapLargeBlock(std::size_t size, LargeBlock& block) {
  block = LargeBlock();
  if (size == 0 || size > SIZE_MAX - 2 * kHugePage) return false;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  if (size < kHugePage || !HugePagesOffered()) {
    const std::size_t length = RoundUp(size, page);
    void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return false;
    block = {base, length};
    return true;
  }
  // A huge page backs only a 2 MiB-aligned 2 MiB of the mapping: map 2 MiB
  // more than needed and give back what lies before the first boundary and
  // after the end.
  const std::size_t length = RoundUp(size, kHugePage);
  void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return false;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::size_t after = kHugePage - (aligned - start);
  if (after > 0) ::munmap(reinterpret_cast<void*>(aligned + length), after);
  void* base = reinterpret_cast<void*>(aligned);
  // Only advice: a kernel that cannot give huge pages gives small ones.
  ::madvise(base, length, MADV_HUGEPAGE);
  block = {base, length};
  return true;
}

void UnmapLargeBlock(LargeBlock& block) {
  if (block.base != nullptr) ::munmap(block.base, block.capacity);
  block = LargeBlock();
}

void MarkBlockInUse(const LargeBlock&, std::size_t) {}
#endif

}  // namespace platform
