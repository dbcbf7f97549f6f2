// Data stored inside the plug-in module: images, the font, a factory bank.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Platform {

struct ResourceBytes {
  const uint8_t* data = nullptr;
  std::size_t size = 0;
};

// Finds the resource of this module by type and name, both compared without regard to case.
// False when the module has none.
bool findModuleResource(const char* type, const char* name, ResourceBytes& resource);

// Where resources are not the system's, the module's table of them can take more entries (tests
// add a factory bank this way). The bytes must outlive their use; null data removes the entry.
void registerModuleResource(const char* type, const char* name, const uint8_t* data,
                            std::size_t size);

}  // namespace Platform
