// The High processing quality: the same signal flow as Normal with the filter at eight times the
// sample rate (Normal's runs at twice it), reached through three cascaded half-bands each way,
// the outermost much steeper than Normal's, so that what the saturations make above the band
// no longer folds back into it. Eight times, not four, because the drive's harmonics reach far:
// at four times a 9 kHz tone at +20 dB still folds its 19th harmonic to -58 dBc.
#pragma once

#include "effect/HalfbandCascade.h"
#include "effect/OutputHighpass.h"
#include "effect/QuorlGains.h"
#include "plugcore/NoiseGenerator.h"

namespace QuorlDsp {

constexpr int kHighOversampling = 8;

// What a call shares with the rest of the effect.
struct PathContext {
  const RampBank<kRampCount>& ramps;
  double rampIncrement;
  double qRange;
  double sampleRate;
  const HighpassSettings& highpass;
};

struct HighQualityPath {
  Halfband<5, 5> up1, down1;
  Halfband<2, 1> up2, down2;
  Halfband<1, 1> up3, down3;
  HighpassState highpassL, highpassR;
  SvfState svf;
  FilterSettings filter;  // the settings of the last sample

  // Returns its state to silence.
  void reset() { *this = HighQualityPath(); }

  template <bool kRampsMoving>
  void process(const PathContext& context, PlugCore::NoiseGenerator& noise, const double* inL,
               const double* inR, double* outL, double* outR, int frames);
};

extern template void HighQualityPath::process<false>(const PathContext&, PlugCore::NoiseGenerator&,
                                                     const double*, const double*, double*, double*,
                                                     int);
extern template void HighQualityPath::process<true>(const PathContext&, PlugCore::NoiseGenerator&,
                                                    const double*, const double*, double*, double*,
                                                    int);

}  // namespace QuorlDsp
