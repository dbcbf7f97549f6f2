#include <windows.h>

#include "platform/Threads.h"

namespace Platform {

void yieldThread() { Sleep(0); }

}  // namespace Platform
