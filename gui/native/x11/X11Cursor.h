// X has no "cursor of the window under the pointer": a window defines its own. The window whose
// events are being handled on this thread stands as the target of setCursor.
#pragma once

// X's protocol header names one of its size queries CursorShape, as a macro.
#ifdef CursorShape
#undef CursorShape
#endif
#include "gui/native/Cursor.h"

namespace Mintwerk {

class CursorTarget {
 public:
  virtual void showCursor(CursorShape shape) = 0;

 protected:
  ~CursorTarget() = default;
};

// Sets this thread's target (null: none) and returns the one it replaces.
CursorTarget* setCursorTarget(CursorTarget* target);

}  // namespace Mintwerk
