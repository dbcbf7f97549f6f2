#include <sched.h>

#include "platform/Threads.h"

namespace Platform {

void yieldThread() { sched_yield(); }

}  // namespace Platform
