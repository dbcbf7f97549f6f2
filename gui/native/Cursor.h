#pragma once

namespace Mintwerk {

enum class CursorShape { kHand, kVerticalResize };

// Shows the system's cursor of that shape over the window under the pointer.
void setCursor(CursorShape shape);

}  // namespace Mintwerk
