#include "effect/QuorlParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace QuorlParams {

const ParamInfo kParamTable[kParamCount] = {
    {"drive", "dB", 0.0f}, {"cutoff", "Hz", 1.0f}, {"reson.", "%", 0.5f},  {"morph", "%", 0.0f},
    {"band", "%", 0.0f},   {"wet mix", "%", 1.0f}, {"output", "dB", 0.5f}, {"q.range", "", 0.0f},
};

namespace {

// Rounded, not cut: a knob that lands on 80 % holds 0.79999995, which must not read 79.
int percent(float value) {
  const float scaled = value * 100.0f;
  return scaled > 0.0f ? static_cast<int>(scaled + 0.5f) : 0;
}

// The C library prints a number with the decimal point of the process's locale, and a host may
// have set the user's: a comma, or a character of several bytes. Our texts always read with a
// point, as in the "C" locale: whatever bytes stand between the whole digits and the fraction
// become one ".". No grouping is asked for, so the digits come out as they would in "C".
void formatWithPoint(char* text, std::size_t capacity, const char* format, double value) {
  if (capacity == 0) return;
  char printed[64];
  const int length = std::snprintf(printed, sizeof printed, format, value);
  const std::size_t end =
      length < 0 ? 0 : std::min(static_cast<std::size_t>(length), sizeof printed - 1);
  std::size_t out = 0;
  bool inNumber = false, pointDone = false;
  for (std::size_t i = 0; i < end && out + 1 < capacity; ++i) {
    const char c = printed[i];
    const bool digit = c >= '0' && c <= '9';
    if (digit || !inNumber) {
      text[out++] = c;
      inNumber = inNumber || digit;
    } else if (!pointDone) {
      text[out++] = '.';
      pointDone = true;
    }
  }
  text[out] = '\0';
}

}  // namespace

void formatParameterValue(int32_t index, float value, char* text, std::size_t capacity) {
  switch (index) {
    case kDrive:
      formatWithPoint(text, capacity, "%+2.2f", static_cast<double>(value * 40.0f - 20.0f));
      break;
    case kCutoff: {
      const double hertz = 20.0 * std::pow(1300.0, static_cast<double>(value));
      const char* format = hertz < 10.0 ? "%.2f" : hertz < 100.0 ? "%.1f" : "%.f";
      formatWithPoint(text, capacity, format, hertz);
      break;
    }
    case kResonance:
    case kMorph:
    case kBand:
    case kWetMix:
      std::snprintf(text, capacity, "%d", percent(value));
      break;
    case kOutput:
      formatWithPoint(text, capacity, "%+2.2f", static_cast<double>(value * 20.0f - 10.0f));
      break;
    case kQRange:
      std::snprintf(text, capacity, "%s", value < 0.5f ? "safe" : "full");
      break;
    default:
      break;
  }
}

}  // namespace QuorlParams
