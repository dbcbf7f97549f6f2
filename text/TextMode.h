// Whether text is drawn with per-channel coverage, and in which channel order. Shared by every
// font of the module; decided again whenever a font is made, read whenever text is drawn.
#pragma once

#include "platform/SystemTextSettings.h"

namespace Mintwerk {

struct TextMode {
  bool subpixelText = false;
  bool subpixelRGB = false;
};

// What the system's answers mean for the text mode.
TextMode decideTextMode(const Platform::TextSmoothingQuery& query);

// The module-wide current mode.
TextMode& currentTextMode();

}  // namespace Mintwerk
