// Counts the allocations made through operator new by this thread, so that a test can prove that
// a stretch of code allocates nothing.
#pragma once

#include <cstddef>

namespace AllocationCounter {
std::size_t count();
// False where the sanitizer runtime owns operator new and nothing is counted.
bool isActive();
}  // namespace AllocationCounter
