#pragma once

namespace Platform {

// The handle of the module this code lives in: set once when the library is attached, never
// cleared. Resources are found and the editor's own windows are recognised through it.
void* moduleHandle();
void setModuleHandle(void* handle);

}  // namespace Platform
