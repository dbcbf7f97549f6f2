// Bypass as a short crossfade between the effect's output and its input, so that switching it never
// clicks. The effect keeps running underneath, so that it comes back without a jump in its state.
#pragma once

#include <cmath>
#include <cstdint>

namespace Vst3Glue {

class BypassFade {
 public:
  void setSampleRate(double rate) {
    const double samples = std::floor(rate * 0.01);  // 10 ms
    step = samples >= 1.0 ? 1.0 / samples : 1.0;
  }
  void setTarget(bool bypassed) { target = bypassed ? 1.0 : 0.0; }
  // True when the effect's output passes untouched.
  bool isIdle() const { return dry == 0.0 && target == 0.0; }

  // Mixes the dry input into the effect's output, one channel pair at a time.
  template <typename Sample>
  void apply(Sample* const* outputs, const Sample* const* dryInputs, int32_t channels,
             int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
      if (dry < target) dry = std::fmin(target, dry + step);
      if (dry > target) dry = std::fmax(target, dry - step);
      for (int32_t c = 0; c < channels; ++c) {
        const double wet = static_cast<double>(outputs[c][i]);
        outputs[c][i] =
            static_cast<Sample>(wet + (static_cast<double>(dryInputs[c][i]) - wet) * dry);
      }
    }
  }

 private:
  double target = 0.0;
  double dry = 0.0;  // share of the input in the output
  double step = 1.0 / 441.0;
};

}  // namespace Vst3Glue
