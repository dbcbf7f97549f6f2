#include "effect/SaturatingSvf.h"

#include <cmath>

namespace QuorlDsp {

FilterSettings makeFilterSettings(double a, double r, double c, double d) {
  FilterSettings f;
  const double angle = a * kPi;
  f.g = std::sin(angle) / std::cos(angle);
  const double sign = r >= 1.0 ? -1.0 : 1.0;
  f.k = ((sign * (1.0 - r)) * (1.0 - r)) * 2.0;
  const double h = 1.0 / (((c - 1.0) * c) * 2.0 + 1.0);  // 1 / (c^2 + (1 - c)^2)
  f.bpW = d * 2.0;
  f.lpW = ((1.0 - c) * (1.0 - d)) * h;
  f.hpW = ((1.0 - d) * h) * c;
  return f;
}

}  // namespace QuorlDsp
