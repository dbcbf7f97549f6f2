// How a change of processing quality runs while audio plays. High's half-bands are steeper than
// Normal's and hold the band back by about three samples more; two versions that far apart
// would partly cancel in a plain crossfade (a 5 kHz tone by 8 dB halfway). So Normal's output
// passes through a short delay that glides between none and High's, and the fade happens only
// while the two are aligned: to High, Normal glides to the delay (High settles meanwhile), then
// fades to High; to Normal, Normal settles delayed, is faded in, then glides back to none.
#pragma once

#include <algorithm>
#include <cstdint>

namespace QuorlDsp {

// High's extra delay of the band against Normal's, in samples at the effect's rate (the
// half-bands are designed in fractions of it, so the figure holds at every rate). Through the
// all-pass below, whose delay grows towards the top of the band as High's does, it aligns the
// two within 0.1 dB of a crossfade's level up to 15 kHz.
constexpr double kHighExtraDelay = 3.5;

// 0 to 1 with level ends, for glides and fades without a corner.
inline double smoothStep(double t) {
  t = std::min(std::max(t, 0.0), 1.0);
  return t * t * (3.0 - t * 2.0);
}

// Normal's latest output samples, read back at a delay that may glide: whole samples from the
// ring, the fraction by a first-order all-pass, which passes every frequency at full level and
// is the plain signal at no fraction.
struct SwitchDelay {
  static constexpr int kLength = 8;
  double past[2][kLength] = {};  // ring, newest at `newest`
  int newest = 0;
  double previous[2] = {};  // the all-pass's last outputs

  void push(double left, double right) {
    newest = (newest + 1) % kLength;
    past[0][newest] = left;
    past[1][newest] = right;
  }
  void remember(const double* left, const double* right, int32_t frames) {
    for (int32_t i = std::max(frames - kLength, 0); i < frames; ++i) push(left[i], right[i]);
  }
  double at(int channel, int back) const {
    return past[channel][(newest - back + kLength) % kLength];
  }
  // Where the all-pass, undelayed, continues from the ring's newest sample.
  void startFromNewest() {
    for (int c = 0; c < 2; ++c) previous[c] = at(c, 0);
  }

  // Once a sample for each channel, after its push. The all-pass's previous input is taken from
  // the ring for the current whole delay, so that the whole part may change under it.
  double read(int channel, double delay) {
    const int whole = static_cast<int>(delay);
    const double fraction = delay - whole;
    const double a = (1.0 - fraction) / (1.0 + fraction);
    const double y = (at(channel, whole) - previous[channel]) * a + at(channel, whole + 1);
    previous[channel] = y;
    return y;
  }
};

// Where a switch stands, in samples since it began.
struct QualitySwitch {
  bool active = false;
  bool toHigh = false;
  int32_t position = 0;
  int32_t glide = 1, settle = 1, fade = 1;  // lengths, set from the rate

  int32_t length() const { return toHigh ? glide + fade : settle + fade + glide; }
  // Whether High's output is still needed from `from` on.
  bool needsHigh(int32_t from) const { return toHigh || from < settle + fade; }

  // The delay of Normal's output `at` samples into the switch.
  double normalDelay(int32_t at) const {
    if (toHigh) return kHighExtraDelay * smoothStep((at + 1.0) / glide);
    return kHighExtraDelay * (1.0 - smoothStep((at - settle - fade + 1.0) / glide));
  }
  // The output `at` samples into the switch, from Normal's delayed sample and High's.
  double mix(double normal, double high, int32_t at) const {
    if (toHigh)
      return at < glide ? normal : (high - normal) * smoothStep((at - glide + 1.0) / fade) + normal;
    if (at < settle) return high;
    if (at < settle + fade) return (normal - high) * smoothStep((at - settle + 1.0) / fade) + high;
    return normal;
  }
};

}  // namespace QuorlDsp
