#include "effect/OutputHighpass.h"

#include <cmath>

namespace QuorlDsp {

HighpassSettings makeHighpassSettings(double f) {
  const double w = f * 6.283185307179586;
  const double cs = std::cos(w);
  const double alpha = std::sin(w) * 0.7142857142857143;  // sin(w) / (2 * 0.7)
  const double e = 1.0 / (alpha + 1.0);
  const double a1 = cs * -2.0 * e;
  const double a2 = (1.0 - alpha) * e;
  const double b0 = (cs + 1.0) * e * 0.5;
  const double b1 = -((cs + 1.0) * e);
  HighpassSettings h;
  h.c0 = std::sqrt((a2 + a1) + 1.0);
  h.c1 = a2;
  h.c2 = (1.0 / h.c0) * b0;
  h.c3 = -h.c2;
  h.c4 = ((b0 + b0) + b1) / (h.c0 * h.c0);
  return h;
}

double highpassPoleProduct(double f) {
  const double alpha = std::sin(f * 6.283185307179586) * 0.7142857142857143;
  return (1.0 - alpha) / (alpha + 1.0);
}

}  // namespace QuorlDsp
