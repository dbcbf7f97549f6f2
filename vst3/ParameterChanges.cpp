#include "vst3/ParameterChanges.h"

#include <algorithm>

namespace Vst3Glue {

void ParameterChanges::add(int32_t offset, Vst3::ParamID id, double value) {
  entries[size] = ParameterChange{offset, size, id, value};
  ++size;
}

void ParameterChanges::collect(Vst3::IParameterChanges* changes, int32_t samples) {
  size = 0;
  if (!changes) return;
  const int32_t last = samples > 0 ? samples - 1 : 0;
  const int32_t queues = std::min(changes->getParameterCount(), kMaxQueues);
  for (int32_t q = 0; q < queues; ++q) {
    Vst3::IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const Vst3::ParamID id = queue->getParameterId();
    const int32_t points = queue->getPointCount();
    for (int32_t p = 0; p < points; ++p) {
      // Once the points are used up, each queue still gives its final one.
      if (size >= kCapacity && p != points - 1) continue;
      int32_t offset = 0;
      double value = 0.0;
      if (queue->getPoint(p, offset, value) != Vst3::kResultOk) continue;
      add(std::min(std::max(offset, 0), last), id, value);
    }
  }
  std::sort(entries, entries + size, [](const ParameterChange& a, const ParameterChange& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.order < b.order;
  });
}

}  // namespace Vst3Glue
