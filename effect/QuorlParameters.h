// The effect's eight parameters: what the host sees of each and how its value reads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QuorlParams {

enum ParamIndex : int32_t {
  kDrive = 0,
  kCutoff,
  kResonance,
  kMorph,
  kBand,
  kWetMix,
  kOutput,
  kQRange,
  kParamCount
};

struct ParamInfo {
  const char* name;
  const char* label;
  float defaultValue;
};

extern const ParamInfo kParamTable[kParamCount];

// Writes the display text of parameter `index` for the normalized value; nothing for an unknown
// index. `capacity` bounds the write; every text here is far shorter than the host's buffer.
// The texts are the same whatever locale the host set: numbers always read with a point.
void formatParameterValue(int32_t index, float value, char* text, std::size_t capacity);

}  // namespace QuorlParams
