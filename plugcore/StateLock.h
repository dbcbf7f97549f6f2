// Guards the program table, the chunk buffers and the current program against two host threads
// at once (an autosave beside the GUI, say). Held only for memory work, never across a message
// box. A spin lock, so that the audio thread can try it without a system call: it never waits on
// it, and hands its program change over instead (see Plug::setProgram).
#pragma once

#include <atomic>

#include "platform/Threads.h"

namespace PlugCore {

class StateLock {
 public:
  void lock() {
    while (held.exchange(true, std::memory_order_acquire)) Platform::yieldThread();
  }
  bool try_lock() { return !held.exchange(true, std::memory_order_acquire); }
  void unlock() { held.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> held{false};
};

}  // namespace PlugCore
