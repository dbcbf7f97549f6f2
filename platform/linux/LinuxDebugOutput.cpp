#include <cstdio>

#include "platform/DebugOutput.h"

namespace Platform {

void debugOutput(const char* line) { std::fputs(line, stderr); }

}  // namespace Platform
