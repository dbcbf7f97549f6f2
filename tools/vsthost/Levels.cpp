#include "Levels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Levels measureLevels(const std::vector<double>& samples) {
  Levels levels;
  double sumOfSquares = 0;
  for (double x : samples) {
    if (!std::isfinite(x)) {
      ++levels.nonFinite;
      continue;
    }
    levels.peak = std::max(levels.peak, std::fabs(x));
    sumOfSquares += x * x;
  }
  const size_t finite = samples.size() - levels.nonFinite;
  if (finite) levels.rms = std::sqrt(sumOfSquares / static_cast<double>(finite));
  return levels;
}

std::string decibels(double linear) {
  if (!(linear > 0)) return "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", 20 * std::log10(linear));
  return text;
}
