#include <windows.h>

#include "platform/SystemTextSettings.h"

namespace Platform {

TextSmoothingQuery queryTextSmoothing() {
  TextSmoothingQuery query;
  BOOL on = FALSE;
  query.smoothingKnown = SystemParametersInfoA(SPI_GETFONTSMOOTHING, 0, &on, 0) != FALSE;
  query.smoothingOn = on != FALSE;
  UINT type = 0;
  query.typeKnown = SystemParametersInfoA(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0) != FALSE;
  query.type = static_cast<int>(type);
  UINT orientation = 1;
  query.orientationKnown =
      SystemParametersInfoA(SPI_GETFONTSMOOTHINGORIENTATION, 0, &orientation, 0) != FALSE;
  query.orientation = static_cast<int>(orientation);
  query.shiftCtrlAltHeld = (GetKeyState(VK_SHIFT) & 0x8000) && (GetKeyState(VK_CONTROL) & 0x8000) &&
                           (GetKeyState(VK_MENU) & 0x8000);
  return query;
}

}  // namespace Platform
