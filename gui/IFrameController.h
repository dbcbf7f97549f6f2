#pragma once

namespace Mintwerk {

// The owner of an editor window.
class IFrameController {
 public:
  virtual ~IFrameController() = default;
  // The window may be destroyed on a close request.
  virtual bool canClose() = 0;
  // The native window is being destroyed. True when the owner let go of it here, and the window
  // ends itself; false when it was no longer the owner's window (a close on another thread took
  // it first), and whoever took it ends it.
  virtual bool windowDestroyed() = 0;
  // The desktop's scale under the window changed (it moved to another monitor, say).
  virtual void desktopScaleChanged() {}
};

}  // namespace Mintwerk
