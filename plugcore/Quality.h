// How carefully an instance processes: the user's choice, kept with the instance and its presets.
// Normal is what every chunk written before the choice existed loads as.
#pragma once

#include <cstdint>

namespace PlugCore {

enum class Quality : uint8_t {
  normal = 0,
  high = 1,
  highWhenRendering = 2,  // normal live, high while the host renders offline
};
constexpr uint8_t kQualityCount = 3;

// The menu's and the host tool's words for each choice.
inline const char* qualityName(Quality quality) {
  switch (quality) {
    case Quality::high:
      return "High";
    case Quality::highWhenRendering:
      return "High when rendering";
    default:
      return "Normal";
  }
}

}  // namespace PlugCore
