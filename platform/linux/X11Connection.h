// Display connections of our own. Xlib's error handler is one per process and its default ends
// the process, so while any of our connections is open a handler of ours is installed that
// swallows errors on our connections and hands every other connection's errors to the handler
// it replaced.
#pragma once

#include <X11/Xlib.h>

namespace Platform {

// Opens a connection to the default display with our error handling; null (and one line on
// stderr naming `purpose`) when none can be opened.
Display* openOwnDisplay(const char* purpose);
// Closes a connection from openOwnDisplay; the last one closed puts the replaced handler back.
void closeOwnDisplay(Display* display);

// Sends everything queued, waits for the server, and tells whether any request of ours failed
// since the last call (the error code, 0 for none).
int syncAndTakeError(Display* display);

// How many of our connections are open (for tests of the lifecycle).
int ownDisplayCount();

}  // namespace Platform
