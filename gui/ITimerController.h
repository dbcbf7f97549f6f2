#pragma once

namespace Mintwerk {

// Receives the window's 10 ms ticks.
class ITimerController {
 public:
  virtual ~ITimerController() = default;
  virtual void onTimer() = 0;
};

}  // namespace Mintwerk
