// Popup menus on X11, drawn by us: X has no menus of its own and a GUI toolkit library would
// collide with the host's.
#pragma once

#include <string>
#include <vector>

// Xlib's own name for a connection, declared without Xlib's macros (None, Bool, Status...).
struct _XDisplay;
typedef struct _XDisplay Display;

namespace Mintwerk {

// One line of a popup menu. The text marks its access key with "&" ("&&" is a literal "&").
struct PopupMenuEntry {
  std::string text;
  int id;
  bool enabled;
  bool separator;
};

// Shows a popup menu on the given display connection, horizontally centred on the root point
// (x, y), and runs it modally until an item is chosen or the menu is dismissed (click outside,
// Escape). Returns the chosen id, or -1.
int runPopupMenu(Display* display, int x, int y, const std::vector<PopupMenuEntry>& entries);

}  // namespace Mintwerk
