// The desktop's scale on X11, from the resource database and the environment.
#pragma once

#include "platform/DesktopScale.h"

namespace Platform {

// `resources` is the resource database's text (or null), the other two the environment's
// values (or null). GDK_SCALE, a whole number, replaces what "Xft.dpi" / 96 says; GDK_DPI_SCALE
// multiplies either. 0 when none of them gives a positive number.
float desktopScaleFromX11(const char* resources, const char* gdkScale, const char* gdkDpiScale);

}  // namespace Platform
