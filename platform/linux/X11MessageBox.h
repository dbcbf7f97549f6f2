// Modal message boxes on X11, drawn by us on a connection of their own.
#pragma once

namespace Platform {

// A modal dialog on its own display connection, transient for `owner` (an X window id, 0 for
// none), callable from any thread; returns the answer as the system box would (kIdOk, kIdCancel,
// kIdYes, kIdNo), or -1 when no box could be shown (no display could be opened).
int showX11MessageBox(const char* text, const char* caption, unsigned flags, unsigned long owner);

}  // namespace Platform
