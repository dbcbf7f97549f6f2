#pragma once

#include <cstdint>

namespace Platform {

// Who is running: a number for the calling thread, never 0, cheap and without allocation (the
// audio thread asks it).
uintptr_t currentThreadId();

// Gives the rest of this thread's time slice to whoever is ready to run (a spin lock's pause).
void yieldThread();

}  // namespace Platform
