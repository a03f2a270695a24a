// The update data linked into a Linux executable.
#include "platform/Resources.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/EmbeddedResources.h"

namespace platform {
namespace detail {

// An executable that embeds no update data links this empty table; the
// generated table of tessel_embed_update_data takes its place.
__attribute__((weak)) const EmbeddedResource* EmbeddedResourceTable() {
  static const EmbeddedResource kEmpty[] = {{nullptr, 0, nullptr, nullptr}};
  return kEmpty;
}

}  // namespace detail

bool LoadExecutableResource(const char* type, std::uint16_t number, ResourceBytes& out) {
  for (const detail::EmbeddedResource* r = detail::EmbeddedResourceTable(); r->type != nullptr; ++r) {
    if (r->number == number && std::strcmp(r->type, type) == 0) {
      out.data = r->begin;
      out.size = static_cast<std::size_t>(r->end - r->begin);
      return true;
    }
  }
  return false;
}

// The blocks lie one after another in one read-only section of the
// executable's file: the whole pages from the first block's start to the
// last one's end hold nothing else. Never written, they are taken out of the
// process by MADV_DONTNEED and a later read brings them back from the file,
// unchanged.
void SetAsideExecutableResources() {
  std::uintptr_t first = UINTPTR_MAX;
  std::uintptr_t end = 0;
  for (const detail::EmbeddedResource* r = detail::EmbeddedResourceTable(); r->type != nullptr; ++r) {
    first = std::min(first, reinterpret_cast<std::uintptr_t>(r->begin));
    end = std::max(end, reinterpret_cast<std::uintptr_t>(r->end));
  }
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t from = (first + page - 1) & ~(page - 1);
  const std::uintptr_t to = end & ~(page - 1);
  if (end != 0 && to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

}  // namespace platform
