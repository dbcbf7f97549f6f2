// Text smoothing from the X resources (the Xft settings that desktops publish).
#pragma once

#include "platform/SystemTextSettings.h"

namespace Platform {

// Reads "Xft.antialias" and "Xft.rgba" from the resource text of a display. What the text does
// not say stays unknown, which the editor takes as grey text, as on Windows when the system has
// nothing to say.
TextSmoothingQuery textSmoothingFromResources(const char* resources);

}  // namespace Platform
