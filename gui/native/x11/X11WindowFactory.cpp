#include "gui/native/NativeWindow.h"
#include "gui/native/x11/X11EditorWindow.h"

namespace Mintwerk {

namespace {

NativeWindow* createX11Window(uint32_t width, uint32_t height, void* parentWindow) {
  return X11EditorWindow::create(width, height, parentWindow);
}

}  // namespace

// The host hands over its X11 window id as the parent.
NativeWindowFactory platformWindowFactory() { return createX11Window; }

}  // namespace Mintwerk
