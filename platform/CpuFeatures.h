#pragma once

namespace Platform {

// True when the processor executes SSE2 instructions (CPUID leaf 1, EDX bit 26).
bool cpuHasSse2();

}  // namespace Platform
