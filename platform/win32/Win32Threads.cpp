#include <windows.h>

#include "platform/Threads.h"

namespace Platform {

void yieldThread() { Sleep(0); }

uintptr_t currentThreadId() { return GetCurrentThreadId(); }

}  // namespace Platform
