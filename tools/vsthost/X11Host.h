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

}  // namespace x11host
