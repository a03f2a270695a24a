// The update data carried as resources of the running executable.
#include "platform/Resources.h"

#include <windows.h>

namespace platform {

bool LoadExecutableResource(const char* type, std::uint16_t number, ResourceBytes& out) {
  const HMODULE module = ::GetModuleHandleA(nullptr);
  const HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(number), type);
  if (info == nullptr) return false;
  const HGLOBAL loaded = ::LoadResource(module, info);
  if (loaded == nullptr) return false;
  const void* data = ::LockResource(loaded);
  const DWORD size = ::SizeofResource(module, info);
  if (data == nullptr || size == 0) return false;
  out.data = static_cast<const std::uint8_t*>(data);
  out.size = size;
  return true;
}

}  // namespace platform
