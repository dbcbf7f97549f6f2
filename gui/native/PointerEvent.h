// A pointer event as the editor's window hands it to the control tree, in window coordinates: the
// same on every system.
#pragma once

#include <cstdint>

namespace Mintwerk {

struct PointerEvent {
  enum Kind { kNone, kMove, kDown, kUp, kDoubleClick, kWheel };
  Kind kind = kNone;
  int32_t x = 0, y = 0;
  int button = 0;  // 1 left, 2 right
  float delta = 0.0f;
  int modifiers = 0;  // bit 0 Shift, bit 1 Ctrl
};

}  // namespace Mintwerk
