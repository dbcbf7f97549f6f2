#include "gui/native/x11/X11WheelForwarding.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/Immortal.h"

namespace Mintwerk {

namespace {
// Never destroyed: windows closed from a host's exit handlers still leave the list.
Platform::Immortal<std::mutex> targetsLockStorage;
Platform::Immortal<std::vector<WheelTarget*>> targetsStorage;
std::mutex& targetsLock = targetsLockStorage.get();
std::vector<WheelTarget*>& targets = targetsStorage.get();
}  // namespace

void addWheelTarget(WheelTarget* target) {
  std::lock_guard<std::mutex> guard(targetsLock);
  targets.push_back(target);
}

void removeWheelTarget(WheelTarget* target) {
  std::lock_guard<std::mutex> guard(targetsLock);
  targets.erase(std::remove(targets.begin(), targets.end(), target), targets.end());
  if (targets.empty()) targets.shrink_to_fit();  // an unloaded module keeps nothing
}

bool postWheelToOwnWindowUnderPointer(float notches) {
  int16_t delta;
  if (!wheelDeltaFor(notches, delta)) return false;
  // In the wheel message's steps, as on Windows: 120 per notch, truncated.
  const float turned = static_cast<float>(delta) * 0.008333334f;
  std::lock_guard<std::mutex> guard(targetsLock);
  for (WheelTarget* target : targets)
    if (target->takeWheelUnderPointer(turned)) return true;
  return false;
}

}  // namespace Mintwerk
