// The 5 Hz second-order high-pass at the output, in a form whose states stay well scaled at
// such a low frequency.
#pragma once

namespace QuorlDsp {

struct HighpassSettings {
  double c0 = 0.0, c1 = 0.0, c2 = 0.0, c3 = 0.0, c4 = 0.0;
};

// For normalized frequency f (cycles per sample); the Q of 0.7 is built into the constants.
HighpassSettings makeHighpassSettings(double f);
// The product of its two poles (a2 of the direct form), which sets how fast it rings out.
double highpassPoleProduct(double f);

struct HighpassState {
  double z1 = 0.0, z2 = 0.0;

  double process(double x, const HighpassSettings& h) {
    const double v = z1 * h.c1 + (x - z2) * h.c0;
    const double y = (v * h.c2 + z1 * h.c3) + h.c4 * z2;
    z2 = h.c0 * v + z2;
    z1 = v;
    return y;
  }
};

}  // namespace QuorlDsp
