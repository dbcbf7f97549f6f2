#pragma once

#include <cstdint>

namespace PlugCore {

// Told when a parameter's value has reached the audio side (it is then in lastCooked).
class IParamCook {
 public:
  virtual ~IParamCook() = default;
  // True when the effect must recompute its processing values.
  virtual bool cookParameter(int32_t index) = 0;
};

}  // namespace PlugCore
