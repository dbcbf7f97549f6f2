#include "platform/WheelForwarding.h"

namespace Platform {

bool postWheelToOwnWindowUnderPointer(float) { return false; }  // no window layer yet

}  // namespace Platform
