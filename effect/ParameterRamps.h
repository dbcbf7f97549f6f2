// Linear glides for the continuous parameters. A single change glides over 100 ms; a target
// that changes again soon after glides faster, down to 5 ms, always from the value reached.
#pragma once

#include <cmath>
#include <cstddef>

namespace QuorlDsp {

struct Ramp {
  double from = 0.0;
  double to = 0.0;
  double position = 0.0;  // time since the glide began, in units of 100 ms, capped at 1
  double rate = 1.0;      // the glide is complete when position * rate reaches 1

  // Value at an offset from the start of the current processing call (in units of 100 ms).
  double valueAt(double offset) const {
    double t = (offset + position) * rate;
    if (t > 1.0) t = 1.0;
    return (1.0 - t) * from + t * to;
  }

  // True when every offset of this call gives the target: the glide is over.
  bool isSettled() const { return position * rate >= 1.0; }

  void retarget(double target) {
    if (target == to || std::isnan(target) || std::isnan(to)) return;
    double t = position * rate;
    if (t > 1.0) t = 1.0;
    from = (1.0 - t) * from + to * t;
    to = target;
    rate = 1.0 / (position * 0.95 + 0.05);
    position = 0.0;
  }

  void advance(double distance) {
    position = position + distance;
    if (position > 1.0) position = 1.0;
  }
};

template <std::size_t N>
struct RampBank {
  Ramp ramps[N];

  void retarget(const double (&targets)[N]) {
    for (std::size_t j = 0; j < N; ++j) ramps[j].retarget(targets[j]);
  }
  void advance(double distance) {
    for (Ramp& ramp : ramps) ramp.advance(distance);
  }
  bool allSettled() const {
    for (const Ramp& ramp : ramps)
      if (!ramp.isSettled()) return false;
    return true;
  }
  const Ramp& operator[](std::size_t j) const { return ramps[j]; }
};

}  // namespace QuorlDsp
