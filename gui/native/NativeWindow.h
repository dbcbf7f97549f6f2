// The top of the control tree: a native window that paints the tree, delivers the mouse and
// ticks a timer. Each platform supplies one.
#pragma once

#include "gui/Control.h"
#include "gui/IFrameController.h"
#include "gui/ITimerController.h"

namespace Mintwerk {

class NativeWindow : public Container {
 public:
  NativeWindow(uint32_t width, uint32_t height) : Container(nullptr, 0, 0, width, height) {}
  // Ticks the controller every 10 ms from now on (null: no more ticks).
  virtual void setTimer(ITimerController* controller) = 0;
  // Ends the window for its owner: from here on it ticks no controller and tells its owner
  // nothing, and the native window goes, taking this object and its tree with it.
  virtual void dispose() = 0;
  // Handles what has queued up for the window where the host's idle calls drive it (X11); where
  // the system delivers to the window itself there is nothing to do. Called with the editor's
  // lock held: the window lets go of it through `unlockEditor` once a close on another thread
  // can no longer free the window under this call, and before anything of the tree runs. It
  // never waits for the window with the lock held: a window busy elsewhere skips the call.
  virtual void idle(void (*unlockEditor)(void*), void* editor) { unlockEditor(editor); }
};

// Makes the editor's window as a child of the host's window; null when the window cannot be
// made, and then nothing is left behind.
using NativeWindowFactory = NativeWindow* (*)(IFrameController* controller, uint32_t width,
                                              uint32_t height, void* parentWindow);
// Null where the platform has no window layer.
NativeWindowFactory platformWindowFactory();

}  // namespace Mintwerk
