// The editor's native Win32 window: a child of the host's window that turns window messages into
// the tree's mouse operations, paints the tree through the GL device, ticks a 10 ms timer and
// provides capture, menus, questions and repaint to the controls.
#pragma once

#include "dxblit/Device.h"
#include "gui/NativeWindow.h"

namespace Mintwerk {

class WinMenu;

class Winwrapper : public NativeWindow {
 public:
  Winwrapper(IFrameController* frameController, int32_t x, int32_t y, uint32_t width,
             uint32_t height, void* parentWindow);
  ~Winwrapper() override;

  void setTimer(ITimerController* controller) override;

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
  // The message handling, reached from the window procedure.
  intptr_t handleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

 private:
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
};

}  // namespace Mintwerk
