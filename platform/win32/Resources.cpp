// The update data carried as resources of the running executable.
#include "platform/Resources.h"

#include <windows.h>

#include <cstdint>

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

// The executable's resource section, found through its PE header. VirtualUnlock
// on pages that were never locked takes them out of the process's working
// set (its documented remarks; it then fails with ERROR_NOT_LOCKED, as
// expected); they are read again from the file when touched.
void SetAsideExecutableResources() {
  const auto* base = reinterpret_cast<const std::uint8_t*>(::GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& resources = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
  if (resources.VirtualAddress == 0 || resources.Size == 0) return;
  ::VirtualUnlock(const_cast<std::uint8_t*>(base + resources.VirtualAddress), resources.Size);
}

}  // namespace platform
