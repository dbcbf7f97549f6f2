#include <windows.h>

#include "platform/ModuleHandle.h"
#include "platform/ModuleResources.h"

namespace Platform {

bool findModuleResource(const char* type, const char* name, ResourceBytes& resource) {
  HMODULE module = static_cast<HMODULE>(moduleHandle());
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  resource.data = static_cast<const uint8_t*>(data);
  resource.size = SizeofResource(module, found);
  return true;
}

// The system keeps the resources of a Windows module; nothing can be added to them.
void registerModuleResource(const char*, const char*, const uint8_t*, std::size_t) {}

}  // namespace Platform
