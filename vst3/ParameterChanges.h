// One processing call's parameter changes from every queue the host passed, in the order they are
// to be applied: by sample offset, and within one offset in the host's order. Fixed storage, so
// that the audio thread never allocates.
#pragma once

#include <cstdint>

#include "vst3/Vst3Abi.h"

namespace Vst3Glue {

struct ParameterChange {
  int32_t offset;
  int32_t order;  // keeps the host's order among changes at one offset
  Vst3::ParamID id;
  double value;
};

class ParameterChanges {
 public:
  static constexpr int32_t kCapacity = 2048;  // points in all
  static constexpr int32_t kMaxQueues = 256;  // more than there are parameters

  // Offsets are clamped into the call's samples (a call of no samples applies everything at 0).
  // Past the capacity, a queue still gives its last point, so every parameter ends where the host
  // asked.
  void collect(Vst3::IParameterChanges* changes, int32_t samples);

  int32_t count() const { return size; }
  const ParameterChange& operator[](int32_t index) const { return entries[index]; }

 private:
  void add(int32_t offset, Vst3::ParamID id, double value);

  ParameterChange entries[kCapacity + kMaxQueues];
  int32_t size = 0;
};

}  // namespace Vst3Glue
