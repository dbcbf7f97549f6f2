#pragma once

namespace Mintwerk {

// The owner of an editor window.
class IFrameController {
 public:
  virtual ~IFrameController() = default;
  // The window may be destroyed on a close request.
  virtual bool canClose() = 0;
  // The native window is being destroyed.
  virtual void windowDestroyed() = 0;
};

}  // namespace Mintwerk
