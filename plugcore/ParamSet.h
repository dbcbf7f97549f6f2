// The parameter records shared between the host's threads, the editor and the audio thread.
#pragma once

#include <cstdint>
#include <memory>

#include "plugcore/Relaxed.h"

namespace PlugCore {

enum ParamFlags : uint8_t {
  kParamNotInPrograms = 1 << 0,  // selecting a program leaves this parameter alone
};

struct ParamRecord {
  Relaxed<float> lastCooked{-1.0f};  // last value delivered to the audio side; -1 = deliver again
  Relaxed<float> lastShown{0.0f};    // last value the editor took
  float defaultValue = 0.0f;
  Relaxed<float> value{0.0f};  // always within 0..1 (a -0.0 may pass; readers clear the sign)
  const char* name = nullptr;
  const char* label = nullptr;
  Relaxed<int32_t> midiKey{-1};  // mapped MIDI controller key, -1 when none
  uint8_t flags = 0;
};

class ParamSet {
 public:
  explicit ParamSet(uint32_t count) : records(new ParamRecord[count]), size(count) {}

  uint32_t count() const { return size; }
  bool isValid(int32_t index) const { return index >= 0 && static_cast<uint32_t>(index) < size; }
  ParamRecord& operator[](uint32_t index) { return records[index]; }
  const ParamRecord& operator[](uint32_t index) const { return records[index]; }

  uint8_t forceCook = 1;  // the first processing call delivers everything

 private:
  std::unique_ptr<ParamRecord[]> records;
  uint32_t size;
};

}  // namespace PlugCore
