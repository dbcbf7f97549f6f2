#include <pthread.h>
#include <sched.h>

#include "platform/Threads.h"

namespace Platform {

void yieldThread() { sched_yield(); }

uintptr_t currentThreadId() { return static_cast<uintptr_t>(pthread_self()); }

}  // namespace Platform
