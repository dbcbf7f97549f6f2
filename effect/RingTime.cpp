#include "effect/RingTime.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace QuorlDsp {

namespace {

// From full scale down to the trace of noise the input always carries (1e-5), with room for the
// output gain's +10 dB.
constexpr double kFallDecibels = 110.0;

// Steps in which a decay of `radius` per step falls by `decibels`.
double stepsToFall(double radius, double decibels) {
  return decibels / (-20.0 * std::log10(radius));
}

}  // namespace

double ringSamples(double g, double k, double highpassFrequency) {
  if (!(k > 0.0)) return -1.0;
  // The trapezoidal filter's poles are the analog ones, s^2 + k s + 1 = 0, through the bilinear
  // map z = (1 + g s) / (1 - g s); the slower one sets the ring.
  const std::complex<double> root = std::sqrt(std::complex<double>(k * k / 4.0 - 1.0, 0.0));
  const std::complex<double> s = -k / 2.0 + root;
  const double radius = std::abs((1.0 + g * s) / (1.0 - g * s));
  // A resonant peak rings louder than its input, by up to the filter's Q.
  const double filterFall = kFallDecibels + 20.0 * std::log10(std::max(1.0, 1.0 / k));
  const double filter = radius < 1.0 ? stepsToFall(radius, filterFall) / 2.0 : 0.0;
  // The high-pass: a pair of poles of radius sqrt(a2) (its Q of 0.7 keeps them complex).
  const double highpass =
      stepsToFall(std::sqrt(highpassPoleProduct(highpassFrequency)), kFallDecibels);
  // The half-band filters of the oversampling ring for a few dozen samples.
  return std::ceil(filter + highpass) + 64.0;
}

}  // namespace QuorlDsp
