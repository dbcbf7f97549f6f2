// The levels printed after a render. NaN and infinite samples are counted apart and left out of
// peak and RMS, so one bad sample shows as a fault without hiding the rest of the signal.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Levels {
  double peak = 0;
  double rms = 0;
  size_t nonFinite = 0;
};

Levels measureLevels(const std::vector<double>& samples);

// "-6.02", or "-inf" for zero.
std::string decibels(double linear);
