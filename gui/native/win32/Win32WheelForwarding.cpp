#include <windows.h>

#include "gui/native/WheelForwarding.h"
#include "platform/ModuleHandle.h"

namespace Mintwerk {

bool postWheelToOwnWindowUnderPointer(float notches) {
  int16_t delta;
  if (!wheelDeltaFor(notches, delta)) return false;
  POINT pointer;
  if (!GetCursorPos(&pointer)) return false;
  HWND window = WindowFromPoint(pointer);
  if (!window) return false;
  // Only our own windows: the host's and other plug-ins' are not ours to scroll.
  if (reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) !=
      Platform::moduleHandle())
    return false;
  WPARAM keys = 0;
  if (GetAsyncKeyState(VK_SHIFT)) keys |= MK_SHIFT;
  if (GetAsyncKeyState(VK_CONTROL)) keys |= MK_CONTROL;
  const WPARAM wParam = (static_cast<WPARAM>(static_cast<WORD>(delta)) << 16) | keys;
  const LPARAM lParam =
      (static_cast<LPARAM>(static_cast<WORD>(pointer.y)) << 16) | static_cast<WORD>(pointer.x);
  PostMessageA(window, WM_MOUSEWHEEL, wParam, lParam);
  return true;
}

}  // namespace Mintwerk
