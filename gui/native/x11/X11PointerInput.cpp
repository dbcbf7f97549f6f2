#include "gui/native/x11/X11PointerInput.h"

namespace Mintwerk {

namespace {

// The X core protocol's modifier bits.
constexpr unsigned kXShiftMask = 1u << 0;
constexpr unsigned kXControlMask = 1u << 2;

int treeModifiers(unsigned state) {
  return ((state & kXShiftMask) ? 1 : 0) | ((state & kXControlMask) ? 2 : 0);
}

// Left and right are the tree's buttons 1 and 2; the middle button is not used.
int treeButton(unsigned button) { return button == 1 ? 1 : button == 3 ? 2 : 0; }

int32_t distance(int32_t a, int32_t b) { return a > b ? a - b : b - a; }

}  // namespace

PointerEvent PointerTranslator::translate(const XPointerEvent& event) {
  PointerEvent out;
  out.x = event.x;
  out.y = event.y;
  out.modifiers = treeModifiers(event.state);
  switch (event.kind) {
    case XPointerEvent::kMotion:
      out.kind = PointerEvent::kMove;
      return out;
    case XPointerEvent::kPress: {
      if (event.button == 4 || event.button == 5) {
        // One wheel notch arrives as a press (and a release) of button 4 (away from the user)
        // or 5.
        out.kind = PointerEvent::kWheel;
        out.delta = event.button == 4 ? 1.0f : -1.0f;
        return out;
      }
      out.button = treeButton(event.button);
      if (!out.button) return out;
      // Server time is 32 bits and wraps after about 49 days; the difference in 32 bits keeps
      // the interval right across the wrap.
      const uint32_t interval = static_cast<uint32_t>(event.time - lastTime);
      const bool second = armed && event.button == lastButton &&
                          interval <= kDoubleClickMilliseconds &&
                          distance(event.x, lastX) <= kDoubleClickDistance &&
                          distance(event.y, lastY) <= kDoubleClickDistance;
      out.kind = second ? PointerEvent::kDoubleClick : PointerEvent::kDown;
      // A third press starts over, as the platform's own double clicks do.
      armed = !second;
      lastButton = event.button;
      lastX = event.x;
      lastY = event.y;
      lastTime = event.time;
      return out;
    }
    case XPointerEvent::kRelease:
      out.button = treeButton(event.button);
      if (out.button) out.kind = PointerEvent::kUp;
      return out;
  }
  return out;
}

}  // namespace Mintwerk
