// The host's side of a VST 3 editor view: the frame that takes the view's resize requests and, on
// Linux, the run loop the view finds through it. A VST 2.4 host drives its editors only through
// effEditIdle, so that is where the run loop's timers and descriptors are served.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "vst3/Vst3Abi.h"

namespace vst3host {

class Frame : public Vst3::IPlugFrame, public Vst3::IRunLoop {
 public:
  // Asked for a new size: true when the host's window has it now.
  using Resize = std::function<bool(int width, int height)>;
  explicit Frame(Resize resize) : resize_(std::move(resize)) {}

  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  Vst3::tresult resizeView(Vst3::IPlugView* view, Vst3::ViewRect* newSize) override;

  Vst3::tresult registerEventHandler(Vst3::IEventHandler* handler, int fd) override;
  Vst3::tresult unregisterEventHandler(Vst3::IEventHandler* handler) override;
  Vst3::tresult registerTimer(Vst3::ITimerHandler* handler, uint64_t milliseconds) override;
  Vst3::tresult unregisterTimer(Vst3::ITimerHandler* handler) override;

  // Calls the handlers whose descriptor is readable and the timers that are due; in a loop that
  // sleeps on descriptors, the timers only along with a readable one.
  void serve();
  static void sleepOnDescriptors(bool sleeping) { sleeping_ = sleeping; }
  // What a view left registered goes with it: nothing is called on a released view.
  void forget();

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    Vst3::ITimerHandler* handler;
    Clock::duration interval;
    Clock::time_point due;
  };
  struct Watch {
    Vst3::IEventHandler* handler;
    int fd;
  };
  static inline bool sleeping_ = false;
  Resize resize_;
  // Registrations come from the view's thread, serving may come from the host's idle thread.
  std::mutex mutex_;
  std::vector<Timer> timers_;
  std::vector<Watch> watches_;
  // Bumped on every change, so a serve that called out learns the lists moved under it.
  unsigned generation_ = 0;
};

}  // namespace vst3host
