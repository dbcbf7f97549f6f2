// What the X server's pointer events mean to the control tree: buttons, the wheel, modifiers and
// double clicks, which X leaves to its clients. Kept free of Xlib so that it is tested natively.
#pragma once

#include <cstdint>

#include "gui/native/PointerEvent.h"

namespace Mintwerk {

struct XPointerEvent {
  enum Kind { kPress, kRelease, kMotion };
  Kind kind;
  unsigned button;     // X button number: 1 left, 2 middle, 3 right, 4/5 wheel up/down
  int32_t x, y;        // relative to our window
  unsigned state;      // X modifier and button mask
  unsigned long time;  // server milliseconds
};

class PointerTranslator {
 public:
  // Two presses of one button within this time and this distance make a double click.
  static constexpr unsigned long kDoubleClickMilliseconds = 500;
  static constexpr int32_t kDoubleClickDistance = 2;

  PointerEvent translate(const XPointerEvent& event);
  // A window that lost the pointer (a menu or dialog took it) starts afresh.
  void forgetPresses() { armed = false; }

 private:
  bool armed = false;  // the last press may become the first half of a double click
  unsigned lastButton = 0;
  int32_t lastX = 0, lastY = 0;
  unsigned long lastTime = 0;
};

}  // namespace Mintwerk
