#include "Vst3Frame.h"

#include <algorithm>

#include "Platform.h"

namespace vst3host {

using namespace Vst3;

namespace {
// More than any view registers; the rest wait for the next serve.
constexpr size_t kMaxCalls = 32;
}  // namespace

tresult Frame::queryInterface(const TUID iid, void** object) {
  if (sameUid(iid, kIPlugFrameIid) || sameUid(iid, kFUnknownIid)) {
    *object = static_cast<IPlugFrame*>(this);
    return kResultOk;
  }
#if !defined(_WIN32)
  if (sameUid(iid, kIRunLoopIid)) {
    *object = static_cast<IRunLoop*>(this);
    return kResultOk;
  }
#endif
  *object = nullptr;
  return kNoInterface;
}

tresult Frame::resizeView(IPlugView* view, ViewRect* newSize) {
  if (!view || !newSize) return kInvalidArgument;
  const int width = newSize->right - newSize->left;
  const int height = newSize->bottom - newSize->top;
  if (width <= 0 || height <= 0 || !resize_) return kResultFalse;
  // As VST 3 hosts do: a view that says it has the size already has nothing for us to do.
  ViewRect now{};
  if (view->getSize(&now) == kResultOk && now.right - now.left == width &&
      now.bottom - now.top == height)
    return kResultOk;
  if (!resize_(width, height)) return kResultFalse;
  // The window has the size now; the view is told so before the request returns.
  ViewRect given = *newSize;
  view->onSize(&given);
  return kResultOk;
}

tresult Frame::registerEventHandler(IEventHandler* handler, int fd) {
  if (!handler) return kInvalidArgument;
  std::lock_guard<std::mutex> lock(mutex_);
  watches_.push_back({handler, fd});
  ++generation_;
  return kResultOk;
}

tresult Frame::unregisterEventHandler(IEventHandler* handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto gone = std::remove_if(watches_.begin(), watches_.end(),
                                   [&](const Watch& watch) { return watch.handler == handler; });
  if (gone == watches_.end()) return kInvalidArgument;
  watches_.erase(gone, watches_.end());
  ++generation_;
  return kResultOk;
}

tresult Frame::registerTimer(ITimerHandler* handler, uint64_t milliseconds) {
  if (!handler || milliseconds == 0) return kInvalidArgument;
  std::lock_guard<std::mutex> lock(mutex_);
  const Clock::duration interval = std::chrono::milliseconds(milliseconds);
  timers_.push_back({handler, interval, Clock::now() + interval});
  ++generation_;
  return kResultOk;
}

tresult Frame::unregisterTimer(ITimerHandler* handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto gone = std::remove_if(timers_.begin(), timers_.end(),
                                   [&](const Timer& timer) { return timer.handler == handler; });
  if (gone == timers_.end()) return kInvalidArgument;
  timers_.erase(gone, timers_.end());
  ++generation_;
  return kResultOk;
}

void Frame::serve() {
  // What is due is taken under the lock and called without it, since a handler may register or
  // unregister; one that an earlier call of this serve unregistered is not called.
  Watch ready[kMaxCalls];
  ITimerHandler* due[kMaxCalls];
  size_t readyCount = 0, dueCount = 0;
  unsigned generation = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Watch& watch : watches_)
      if (readyCount < kMaxCalls && descriptorReadable(watch.fd)) ready[readyCount++] = watch;
    const Clock::time_point now = Clock::now();
    for (Timer& timer : timers_) {
      if (sleeping_ && readyCount == 0) break;
      if (dueCount == kMaxCalls || now < timer.due) continue;
      due[dueCount++] = timer.handler;
      // Missed ticks are not made up: one call however late the idle comes.
      timer.due = now + timer.interval;
    }
    generation = generation_;
  }
  const auto stillThere = [&](auto& list, auto handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (generation == generation_) return true;
    return std::any_of(list.begin(), list.end(),
                       [&](const auto& entry) { return entry.handler == handler; });
  };
  for (size_t i = 0; i < readyCount; ++i)
    if (stillThere(watches_, ready[i].handler)) ready[i].handler->onFDIsSet(ready[i].fd);
  for (size_t i = 0; i < dueCount; ++i)
    if (stillThere(timers_, due[i])) due[i]->onTimer();
}

void Frame::forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.clear();
  watches_.clear();
  ++generation_;
}

}  // namespace vst3host
