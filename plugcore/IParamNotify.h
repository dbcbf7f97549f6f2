#pragma once

#include <cstdint>

namespace PlugCore {

// How the plug-in side reaches the editor.
class IParamNotify {
 public:
  virtual ~IParamNotify() = default;
  // A parameter shows a new value; false when the editor could not take it now.
  virtual bool paramChanged(int32_t index, float value) = 0;
  // A parameter's MIDI mapping changed (learned or removed).
  virtual void mappingChanged(int32_t index) = 0;
};

}  // namespace PlugCore
