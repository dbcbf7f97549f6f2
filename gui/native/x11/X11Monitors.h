// Where on an X display a menu or a box belongs: the monitor that shows a point. A screen may
// span several monitors (RandR, Xinerama), and a display may have several screens; a box
// centred on a whole two-monitor screen straddles both.
#pragma once

struct _XDisplay;
typedef struct _XDisplay Display;

namespace Mintwerk {

// A rectangle in root coordinates of one screen.
struct ScreenArea {
  int x = 0, y = 0, width = 0, height = 0;
};

// The monitor of `screen` that holds the root point (x, y), else the one nearest it; the whole
// screen when the server tells of no monitors.
ScreenArea monitorAt(Display* display, int screen, int x, int y);

}  // namespace Mintwerk
