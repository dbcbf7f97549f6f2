#include <windows.h>

#include "platform/DebugOutput.h"

namespace Platform {

void debugOutput(const char* line) { OutputDebugStringA(line); }

}  // namespace Platform
