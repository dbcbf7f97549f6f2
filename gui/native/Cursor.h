#pragma once

namespace Platform {

enum class CursorShape { kHand, kVerticalResize };

// Shows the system's cursor of that shape over the window under the pointer.
void setCursor(CursorShape shape);

}  // namespace Platform
