// The host's own X11 connection, shared by the editor window and the validator's counts of what a
// plug-in leaves on the display.
#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace x11host {

// Opened on first use and kept for the process, with an error handler that records errors instead
// of ending the process; null when no display can be opened.
Display* display();

// Every window in the tree under the root, the root left out.
std::vector<Window> allWindows(Display* display);

// The top-level windows this process made for editors and has not destroyed yet.
bool isHostWindow(Window window);

// Sockets this process holds open: X connections among them.
int openSockets();

// The display's connections made by this process besides the host's own one (a plug-in's), by
// their clients' resource bases: a window belongs to one when its id without the bits of `mask`
// is among `bases`. False when the server cannot say (no X-Resource extension, or it knows no
// process for our own connection); window managers' and other programs' connections never count.
struct ProcessClients {
  std::vector<unsigned long> bases;
  unsigned long mask = 0;
  bool owns(unsigned long window) const;
};
bool otherConnectionsOfThisProcess(Display* display, ProcessClients& clients);

// Presses and lets go of a key for a window: through XTEST as a user's keyboard (`real`), or as
// events sent to the window itself.
void pressKey(Display* display, Window window, KeySym symbol, bool real);

}  // namespace x11host
