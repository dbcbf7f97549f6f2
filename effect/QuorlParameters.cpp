#include "effect/QuorlParameters.h"

#include <cmath>
#include <cstdio>

namespace QuorlParams {

const ParamInfo kParamTable[kParamCount] = {
    {"drive", "dB", 0.0f}, {"cutoff", "Hz", 1.0f}, {"reson.", "%", 0.5f},  {"morph", "%", 0.0f},
    {"band", "%", 0.0f},   {"wet mix", "%", 1.0f}, {"output", "dB", 0.5f}, {"q.range", "", 0.0f},
};

namespace {
int percent(float value) { return static_cast<int>(value * 100.0f); }
}  // namespace

void formatParameterValue(int32_t index, float value, char* text, std::size_t capacity) {
  switch (index) {
    case kDrive:
      std::snprintf(text, capacity, "%+2.2f", static_cast<double>(value * 40.0f - 20.0f));
      break;
    case kCutoff: {
      const double hertz = 20.0 * std::pow(1300.0, static_cast<double>(value));
      const char* format = hertz < 10.0 ? "%.2f" : hertz < 100.0 ? "%.1f" : "%.f";
      std::snprintf(text, capacity, format, hertz);
      break;
    }
    case kResonance:
    case kMorph:
    case kBand:
    case kWetMix:
      std::snprintf(text, capacity, "%d", percent(value));
      break;
    case kOutput:
      std::snprintf(text, capacity, "%+2.2f", static_cast<double>(value * 20.0f - 10.0f));
      break;
    case kQRange:
      std::snprintf(text, capacity, "%s", value < 0.5f ? "safe" : "full");
      break;
    default:
      break;
  }
}

}  // namespace QuorlParams
