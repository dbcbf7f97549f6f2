// The polyphase half-band oversampler: two chains of first-order all-pass stages per channel,
// one per phase, for the way up and the same pair for the way down.
#pragma once

namespace QuorlDsp {

struct AllpassStage {
  double xp = 0.0;  // previous input
  double yp = 0.0;  // previous output

  double process(double x, double a) {
    const double y = (x - yp) * a + xp;
    xp = x;
    yp = y;
    return y;
  }
};

struct AllpassChain {
  AllpassStage first, second;
  double process(double x, double a1, double a2) {
    return second.process(first.process(x, a1), a2);
  }
};

// Coefficients of the two phases.
constexpr double kPhaseA1 = 0.12073211751675449;
constexpr double kPhaseA2 = 0.6632020224193995;
constexpr double kPhaseB1 = 0.3903621872345006;
constexpr double kPhaseB2 = 0.890786832653497;

struct StereoChain {
  AllpassChain left, right;
};

struct Oversampler {
  StereoChain upA, upB, downA, downB;
};

}  // namespace QuorlDsp
