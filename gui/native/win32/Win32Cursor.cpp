#include <windows.h>

#include "gui/native/Cursor.h"

namespace Mintwerk {

void setCursor(CursorShape shape) {
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(shape == CursorShape::kHand ? 32649 : 32645)));
}

}  // namespace Mintwerk
