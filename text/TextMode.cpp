#include "text/TextMode.h"

namespace Mintwerk {

TextMode decideTextMode(const Platform::TextSmoothingQuery& query) {
  TextMode mode;
  if (query.smoothingKnown && query.smoothingOn && query.typeKnown) {
    mode.subpixelText = query.type == 2;  // per-channel smoothing
  }
  if (!mode.subpixelText)
    mode.subpixelRGB = true;
  else
    mode.subpixelRGB = query.orientationKnown ? query.orientation == 1 : true;
  // Holding Shift, Ctrl and Alt while a font is made forces grey text.
  if (query.shiftCtrlAltHeld) mode.subpixelText = false;
  return mode;
}

TextMode& currentTextMode() {
  static TextMode mode;
  return mode;
}

}  // namespace Mintwerk
