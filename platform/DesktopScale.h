// How large the desktop draws: the factor by which a window should enlarge its 96-dpi layout.
#pragma once

namespace Platform {

// For the window (a native window handle, or null for the desktop as a whole): on Windows the
// window's monitor's dots per inch over 96, where the system can say so per window; on X11
// "Xft.dpi" / 96 from the resource database, overridden by GDK_SCALE and GDK_DPI_SCALE. 0 when
// the system says nothing. Never changes the process's own awareness of scaling: the host owns
// that.
float desktopScale(void* window);

}  // namespace Platform
