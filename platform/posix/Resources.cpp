// The update data linked into a Linux executable.
#include "platform/Resources.h"

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

}  // namespace platform
