#pragma once

#include <cstdint>

namespace PlugCore {

// A deterministic noise source: the sequence depends only on how many values were drawn since
// construction, so two instances fed the same input give the same output.
struct NoiseGenerator {
  double x = 0.0;  // the last value, in 0..1
  double step = 0.0;
  uint32_t counter = 0;

  // The next value, in -1..1.
  double next() {
    ++counter;
    if ((counter & 4095u) == 0) step = 1.0 / static_cast<double>((counter / 4096u) % 4096u + 2u);
    step = x + step;
    const double t = step * x + 0.5;
    x = t - wholePart(t);
    return x * 2.0 - 1.0;
  }

 private:
  // floor for the values met here: t is at least 0.5 and stays far below 2^63, where truncation
  // is floor and exact in every rounding mode.
  static double wholePart(double t) { return static_cast<double>(static_cast<int64_t>(t)); }
};

}  // namespace PlugCore
