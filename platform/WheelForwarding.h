#pragma once

namespace Platform {

// Turns a host's wheel notification into an ordinary wheel message for the window under the
// pointer, when that window is one of this module's. False when nothing was posted.
bool postWheelToOwnWindowUnderPointer(float notches);

}  // namespace Platform
