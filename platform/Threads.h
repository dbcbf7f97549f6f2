#pragma once

namespace Platform {

// Gives the rest of this thread's time slice to whoever is ready to run (a spin lock's pause).
void yieldThread();

}  // namespace Platform
