// The polyphase half-band oversampler: two chains of first-order all-pass stages, one per phase,
// for the way up and the same pair for the way down; both channels side by side in each.
#pragma once

namespace QuorlDsp {

// Both channels side by side, so that each all-pass step serves the two at once (each lane's
// arithmetic is that of a channel on its own).
typedef double StereoPair __attribute__((vector_size(16)));

template <int kCount>
struct AllpassRun {
  StereoPair xp[kCount] = {};  // previous inputs
  StereoPair yp[kCount] = {};  // previous outputs
  StereoPair process(StereoPair x, const double (&c)[kCount]) {
    for (int i = 0; i < kCount; ++i) {
      const StereoPair y = (x - yp[i]) * StereoPair{c[i], c[i]} + xp[i];
      xp[i] = x;
      yp[i] = y;
      x = y;
    }
    return x;
  }
};

// Coefficients of the two phases.
constexpr double kPhaseA[2] = {0.12073211751675449, 0.6632020224193995};
constexpr double kPhaseB[2] = {0.3903621872345006, 0.890786832653497};

struct Oversampler {
  AllpassRun<2> upA, upB, downA, downB;
};

}  // namespace QuorlDsp
