// What every processing quality computes alike from the ramped parameter values: the gains of a
// sample and the filter's settings for the rate the filter runs at.
#pragma once

#include <cmath>

#include "effect/ParameterRamps.h"
#include "effect/QuorlParameters.h"
#include "effect/SaturatingSvf.h"

namespace QuorlDsp {

constexpr int kRampCount = 7;  // drive, cutoff, reson., morph, band, wet mix, output

struct Gains {
  double outGain, dryGain, drive, wetGain;
  FilterSettings filter;
};

// Above half the oversampled rate the tangent leaves its branch. At sample rates of 26 kHz and
// less the cutoff's range reaches that point; the cutoff stops just below it, where the filter
// is still stable. Above about 26.5 kHz the limit is never reached.
constexpr double kHighestCutoffFraction = 0.49;

// `filterRate` is the rate the filter runs at: twice the sample rate for Normal.
inline Gains computeGains(const double (&v)[kRampCount], double qRange, double filterRate) {
  using namespace QuorlParams;
  Gains gains;
  gains.outGain = std::pow(10.0, v[kOutput] - 0.5);
  gains.dryGain = (1.0 - v[kWetMix]) * gains.outGain;
  gains.drive = std::pow(10.0, v[kDrive] * 2.0 - 1.0);
  gains.wetGain = (v[kWetMix] / gains.drive) * gains.outGain;  // drive shapes, it does not boost
  const double r = v[kResonance] * qRange;
  const double cutoff = std::pow(1300.0, v[kCutoff]) * 20.0;
  double a = cutoff / filterRate;
  if (a > kHighestCutoffFraction) a = kHighestCutoffFraction;
  gains.filter = makeFilterSettings(a, r, v[kMorph], v[kBand]);
  return gains;
}

inline void rampValues(const RampBank<kRampCount>& ramps, double offset,
                       double (&values)[kRampCount]) {
  for (int j = 0; j < kRampCount; ++j) values[j] = ramps[j].valueAt(offset);
}

// The mix of one filter step's outputs with the dry signal.
inline void mixStep(const SvfOutputs& o, const FilterSettings& f, const Gains& gains, double dryL,
                    double dryR, double& yL, double& yR) {
  yL = ((o.hpL * f.hpW + o.bpL * f.bpW) + o.lpL * f.lpW) * gains.wetGain + dryL;
  yR = ((o.hpR * f.hpW + o.bpR * f.bpW) + o.lpR * f.lpW) * gains.wetGain + dryR;
}

}  // namespace QuorlDsp
