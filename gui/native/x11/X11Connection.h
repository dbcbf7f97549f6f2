// Display connections of our own. Xlib's error handler is one per process, its default ends the
// process, and hosts install and restore their own around our calls; so errors on our
// connections are caught on each connection itself, before any process-wide handler, and that
// handler is left to the host for its own connections.
#pragma once

#include <X11/Xlib.h>

namespace Mintwerk {

// Opens a connection to the default display with our error handling; null (and one line on
// stderr naming `purpose`) when none can be opened.
Display* openOwnDisplay(const char* purpose);
// Closes a connection from openOwnDisplay; errors still in flight on it stay ours.
void closeOwnDisplay(Display* display);

// Sends everything queued, waits for the server, and tells whether any request of ours failed
// since the last call (the error code, 0 for none).
int syncAndTakeError(Display* display);

// How many of our connections are open (for tests of the lifecycle).
int ownDisplayCount();

}  // namespace Mintwerk
