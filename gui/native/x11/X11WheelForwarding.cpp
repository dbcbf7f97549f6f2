#include "gui/native/x11/X11WheelForwarding.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace Mintwerk {

namespace {
// Never destroyed: windows closed from a host's exit handlers still leave the list.
std::mutex& targetsLock = *new std::mutex;
std::vector<WheelTarget*>& targets = *new std::vector<WheelTarget*>;
}  // namespace

void addWheelTarget(WheelTarget* target) {
  std::lock_guard<std::mutex> guard(targetsLock);
  targets.push_back(target);
}

void removeWheelTarget(WheelTarget* target) {
  std::lock_guard<std::mutex> guard(targetsLock);
  targets.erase(std::remove(targets.begin(), targets.end(), target), targets.end());
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
