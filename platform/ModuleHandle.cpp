#include "platform/ModuleHandle.h"

namespace Platform {

namespace {
void* handleOfThisModule = nullptr;
}

void* moduleHandle() { return handleOfThisModule; }
void setModuleHandle(void* handle) { handleOfThisModule = handle; }

}  // namespace Platform
