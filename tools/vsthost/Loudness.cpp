#include "Loudness.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr double kPi = 3.141592653589793238462643383279502884;

struct Biquad {
  double b0, b1, b2, a1, a2;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

  double step(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// The two stages of the K-weighting, from their analogue prototypes, so that any sample rate
// gets the curve the standard tabulates at 48 kHz: a shelf of +4 dB above about 1.7 kHz (the
// head's effect) and a high-pass near 38 Hz.
Biquad shelfStage(double rate) {
  const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
  const double k = std::tan(kPi * f0 / rate);
  const double vh = std::pow(10.0, gainDb / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
          2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad highPassStage(double rate) {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  const double k = std::tan(kPi * f0 / rate);
  const double a0 = 1.0 + k / q + k * k;
  return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double loudnessOf(double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); }

}  // namespace

double integratedLoudness(const Audio& audio) {
  const double minusInfinity = -std::numeric_limits<double>::infinity();
  const size_t frames = audio.frames();
  const size_t step = static_cast<size_t>(std::lround(audio.rate * 0.1));
  if (audio.rate <= 0 || step == 0 || frames < 4 * step) return minusInfinity;

  // Squared K-weighted samples summed over the channels, then summed per 100 ms step.
  const size_t steps = frames / step;
  std::vector<double> stepEnergy(steps, 0.0);
  for (const std::vector<double>& channel : audio.channels) {
    Biquad shelf = shelfStage(audio.rate), highPass = highPassStage(audio.rate);
    for (size_t i = 0; i < steps * step; ++i) {
      const double y = highPass.step(shelf.step(channel[i]));
      stepEnergy[i / step] += y * y;
    }
  }
  std::vector<double> blocks;  // mean square of each 400 ms block
  for (size_t j = 0; j + 4 <= steps; ++j)
    blocks.push_back((stepEnergy[j] + stepEnergy[j + 1] + stepEnergy[j + 2] + stepEnergy[j + 3]) /
                     static_cast<double>(4 * step));

  auto gatedMean = [&blocks](double gate) {
    double sum = 0;
    size_t count = 0;
    for (double z : blocks)
      if (z > 0 && loudnessOf(z) > gate) {
        sum += z;
        ++count;
      }
    return count ? sum / static_cast<double>(count) : 0.0;
  };
  const double absolute = gatedMean(-70.0);
  if (!(absolute > 0)) return minusInfinity;
  const double relative = gatedMean(loudnessOf(absolute) - 10.0);
  return relative > 0 ? loudnessOf(relative) : minusInfinity;
}

double samplePeak(const Audio& audio) {
  double peak = 0;
  for (const std::vector<double>& channel : audio.channels)
    for (double x : channel) peak = std::fmax(peak, std::fabs(x));
  return peak;
}
