#include "platform/CpuFeatures.h"

#include <cpuid.h>

namespace Platform {

bool cpuHasSse2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid_count(1, 0, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 26)) != 0;
}

}  // namespace Platform
