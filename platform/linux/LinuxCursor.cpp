#include "platform/Cursor.h"

namespace Platform {

void setCursor(CursorShape) {}  // no window layer yet

}  // namespace Platform
