// What the GL device of an X11 window needs to know about it. The window owns the record and
// keeps it for as long as its device lives.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace DXBlit {

struct X11Drawable {
  Display* display = nullptr;
  Window window = 0;
  // The window was destroyed under us (with the host's window): GL work from here on goes to a
  // stand-in surface, so that textures can still be let go of properly.
  bool gone = false;
};

// The GL frame buffer configuration our windows are made with: double-buffered RGB that both a
// window and a small off-screen stand-in can have. False when the screen offers none.
bool chooseGlxConfig(Display* display, int screen, GLXFBConfig& config);

}  // namespace DXBlit
