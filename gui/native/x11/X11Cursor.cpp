#include "gui/native/x11/X11Cursor.h"

namespace Mintwerk {

namespace {
thread_local CursorTarget* currentTarget = nullptr;
}  // namespace

CursorTarget* setCursorTarget(CursorTarget* target) {
  CursorTarget* previous = currentTarget;
  currentTarget = target;
  return previous;
}

// Outside a window's event handling there is no window to give the cursor to.
void setCursor(CursorShape shape) {
  if (currentTarget) currentTarget->showCursor(shape);
}

}  // namespace Mintwerk
