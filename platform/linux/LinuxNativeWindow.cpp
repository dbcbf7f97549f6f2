#include "gui/NativeWindow.h"
#include "platform/linux/X11Window.h"

namespace Mintwerk {

namespace {

NativeWindow* createX11Window(IFrameController* controller, uint32_t width, uint32_t height,
                              void* parentWindow) {
  return X11Window::create(controller, width, height, parentWindow);
}

}  // namespace

// The host hands over its X11 window id as the parent.
NativeWindowFactory platformWindowFactory() { return createX11Window; }

}  // namespace Mintwerk
