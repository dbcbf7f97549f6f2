#pragma once

#include <cstdint>

namespace Mintwerk {

// Turns a host's wheel notification into an ordinary wheel message for the window under the
// pointer, when that window is one of this module's. False when nothing was posted.
bool postWheelToOwnWindowUnderPointer(float notches);

// The wheel message's delta for a distance in notches: 120 per notch, truncated towards zero and
// held within the message's signed 16 bits, however far the host turns. False for a distance
// that is no number: that turns nothing.
inline bool wheelDeltaFor(float notches, int16_t& delta) {
  const float scaled = notches * 120.0f;
  if (scaled != scaled) return false;
  if (scaled >= 32767.0f)
    delta = 32767;
  else if (scaled <= -32768.0f)
    delta = -32768;
  else
    delta = static_cast<int16_t>(static_cast<int32_t>(scaled));
  return true;
}

}  // namespace Mintwerk
