// The host's wheel notifications on X11: windows of ours register here, and the one under the
// pointer takes the turn and hands it to its controls at its next idle call.
#pragma once

#include "gui/native/WheelForwarding.h"

namespace Mintwerk {

class WheelTarget {
 public:
  // Takes the turn when the pointer is over this window and nothing else's; false otherwise.
  virtual bool takeWheelUnderPointer(float delta) = 0;

 protected:
  ~WheelTarget() = default;
};

void addWheelTarget(WheelTarget* target);
void removeWheelTarget(WheelTarget* target);

}  // namespace Mintwerk
