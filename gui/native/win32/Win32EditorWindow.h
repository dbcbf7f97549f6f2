// The editor's native Win32 window: a child of the host's window that turns window messages into
// the tree's mouse operations, paints the tree through the GL device, ticks a 10 ms timer and
// provides capture, menus, questions and repaint to the controls.
#pragma once

#include "dxblit/Device.h"
#include "gui/native/NativeWindow.h"

namespace Mintwerk {

class WinMenu;

class Win32EditorWindow : public NativeWindow {
 public:
  Win32EditorWindow(IFrameController* frameController, int32_t x, int32_t y, uint32_t width,
                    uint32_t height, void* parentWindow);
  ~Win32EditorWindow() override;

  void setTimer(ITimerController* controller) override;
  // On the window's thread the window is destroyed at once. Another thread's window is handed to
  // the system's default procedure, which closes it on its own thread; this object is then left
  // behind rather than freed under that thread.
  void dispose() override;

  bool confirm(const char* caption, const char* text) override;
  void redraw() override;
  void releaseResources() override;
  void setCapture(Control* control) override;
  bool hasCapture(Control* control) override;
  Menu* createMenu(Control* target) override;
  bool isMenuOpenFor(Control* control) override;

  // Shows a menu at window coordinates for its target; returns when it has closed.
  int showMenu(WinMenu& menu, Control* target, int x, int y);

  void* getHandle() const { return hwnd; }
  // The window procedure's way in: finds the object of a native window and has it handle the
  // message.
  static intptr_t receive(void* hwnd, unsigned message, uintptr_t wParam, intptr_t lParam);
  intptr_t handleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

 private:
  // Keeps the object while its code is on the stack: a window destroyed meanwhile (by the host
  // from one of its callbacks, or inside a menu's loop) is deleted when the outermost hold ends.
  class Hold;

  void paint();
  template <typename Deliver>
  void deliverMouse(intptr_t lParam, Deliver deliver);

  IFrameController* frameController;
  ITimerController* timerController = nullptr;
  void* hwnd = nullptr;
  DXBlit::Device* device = nullptr;
  Control* captureControl = nullptr;
  Control* menuTarget = nullptr;
  bool menuOpen = false;
  int holds = 0;
  bool windowGone = false;  // the native window is destroyed; the object awaits its last hold
};

}  // namespace Mintwerk
