// Popup menus on X11, drawn by us: X has no menus of its own and a GUI toolkit library would
// collide with the host's.
#pragma once

#include <string>
#include <vector>

#include "gui/native/MenuEntry.h"

// Xlib's own name for a connection, declared without Xlib's macros (None, Bool, Status...).
struct _XDisplay;
typedef struct _XDisplay Display;
union _XEvent;

namespace Mintwerk {

// A popup menu on a display connection, horizontally centred on the root point (x, y) of a
// screen. It runs from its owner's loop: the owner hands it the menu window's events and ticks
// it, and nothing waits for the user, so a host's thread goes on while the menu is up. The menu
// window goes with the object.
class X11PopupMenu {
 public:
  // Drawn at `scale` pixels per unit: an editor at 200 % gets a menu at 200 %.
  X11PopupMenu(Display* display, int screen, int x, int y, const std::vector<MenuEntry>& entries,
               float scale = 1.0f);
  ~X11PopupMenu();
  X11PopupMenu(const X11PopupMenu&) = delete;
  X11PopupMenu& operator=(const X11PopupMenu&) = delete;

  // The menu's own window: events for it belong to handle().
  unsigned long window() const;
  // True once the menu has ended (an item chosen, or dismissed).
  bool handle(::_XEvent& event);
  // Takes the pointer and keyboard once another client lets go of them, and gives up when that
  // takes too long (a menu that cannot have the pointer could never be dismissed); then handles
  // whatever waits on the connection for the menu window. True once the menu has ended.
  bool tick();
  // The chosen id, or -1.
  int chosen() const;

 private:
  struct Shown;
  Shown* shown;
};

// Shows a popup menu on the default screen and runs it until an item is chosen or the menu is
// dismissed (click outside, Escape). Returns the chosen id, or -1.
int runPopupMenu(Display* display, int x, int y, const std::vector<MenuEntry>& entries);

}  // namespace Mintwerk
