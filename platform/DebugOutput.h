#pragma once

namespace Platform {

// A line for the developer's debugger (the system's debug output; stderr where there is none).
void debugOutput(const char* line);

}  // namespace Platform
