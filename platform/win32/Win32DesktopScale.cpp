#include <windows.h>

#include "platform/DesktopScale.h"

namespace Platform {

namespace {

// Looked up at run time: systems before these calls existed still load the module.
template <typename Function>
Function user32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

float desktopScale(void* window) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  using DpiForSystem = UINT(WINAPI*)();
  UINT dpi = 0;
  if (window && IsWindow(static_cast<HWND>(window)))
    if (auto forWindow = user32Function<DpiForWindow>("GetDpiForWindow"))
      dpi = forWindow(static_cast<HWND>(window));
  if (dpi == 0)
    if (auto forSystem = user32Function<DpiForSystem>("GetDpiForSystem")) dpi = forSystem();
  return dpi ? static_cast<float>(dpi) / 96.0f : 0.0f;
}

}  // namespace Platform
