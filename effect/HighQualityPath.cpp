#include "effect/HighQualityPath.h"

#include "effect/HighQualityStep.h"

namespace QuorlDsp {

// The filter's eight steps form one long chain of dependent arithmetic. The half-bands, which
// depend on it only at their ends, are written in between: the next sample's way up and this
// sample's way down as soon as its pieces are ready, so that the processor overlaps them with
// the chain instead of waiting on it.
template <bool kRampsMoving>
void HighQualityPath::process(const PathContext& context, PlugCore::NoiseGenerator& noise,
                              const double* inL, const double* inR, double* outL, double* outR,
                              int frames) {
  if (frames <= 0) return;
  const double filterRate = context.sampleRate * kHighOversampling;
  double values[kRampCount];
  Gains gains{};
  if (!kRampsMoving) {
    rampValues(context.ramps, 0.0, values);
    gains = computeGains(values, context.qRange, filterRate);
  }

  PlugCore::NoiseGenerator noiseGen = noise;
  SvfState s = svf;
  HighQualityPath p = *this;

  // The same noise, drawn in the same order, as Normal.
  StereoPair half[2];
  const auto firstUp = [&](int i) {
    const double noiseR = noiseGen.next();
    const double noiseL = noiseGen.next();
    const StereoPair x = {noiseL * 1e-5 + inL[i], noiseR * 1e-5 + inR[i]};
    p.up1.up(x, kFirstHalfband, half[0], half[1]);
  };
  StereoPair quarter[4];
  const auto secondUp = [&](int h) {
    p.up2.up(half[h], kSecondHalfband, quarter[2 * h], quarter[2 * h + 1]);
  };
  StereoPair next[8];
  const auto thirdUp = [&](int q) {
    p.up3.up(quarter[q], kThirdHalfband, next[2 * q], next[2 * q + 1]);
  };
  firstUp(0);
  secondUp(0);
  secondUp(1);
  for (int q = 0; q < 4; ++q) thirdUp(q);

  // What the way down keeps from one sample to the next: the last piece of the way down of a
  // sample is done while the next sample's filter steps run.
  StereoPair y[8], down[4], back[2];
  const auto thirdDown = [&](int q) {
    down[q] = p.down3.down(y[2 * q], y[2 * q + 1], kThirdHalfband);
  };
  const auto secondDown = [&](int h) {
    back[h] = p.down2.down(down[2 * h], down[2 * h + 1], kSecondHalfband);
  };
  StereoPair out = {};
  const auto finishDown = [&] {
    thirdDown(3);
    secondDown(1);
  };
  const auto finishFirst = [&] { out = p.down1.down(back[0], back[1], kFirstHalfband); };
  const auto finishOut = [&](int i) {
    outL[i] = p.highpassL.process(out[0], context.highpass);
    outR[i] = p.highpassR.process(out[1], context.highpass);
  };

  for (int i = 0; i < frames; ++i) {
    if (kRampsMoving) {
      rampValues(context.ramps, static_cast<double>(i) * context.rampIncrement, values);
      gains = computeGains(values, context.qRange, filterRate);
    }
    const FilterSettings& f = gains.filter;
    StereoPair now[8];
    for (int k = 0; k < 8; ++k) now[k] = next[k];
    const bool more = i + 1 < frames;

    const StereoPair dryGain = {gains.dryGain, gains.dryGain};
    const StereoPair wetGain = {gains.wetGain, gains.wetGain};
    const auto step = [&](int k) {
      double wetL, wetR;
      stepFilterMixed(s, f, now[k][0] * gains.drive, now[k][1] * gains.drive, wetL, wetR);
      return StereoPair{wetL, wetR} * wetGain + now[k] * dryGain;
    };

    const StereoPair y0 = step(0);
    if (i > 0) finishDown();
    const StereoPair y1 = step(1);
    if (i > 0) finishFirst();
    y[0] = y0;
    y[1] = y1;
    thirdDown(0);
    if (more) firstUp(i + 1);
    y[2] = step(2);
    if (i > 0) finishOut(i - 1);
    if (more) secondUp(0);
    y[3] = step(3);
    thirdDown(1);
    secondDown(0);
    y[4] = step(4);
    if (more) secondUp(1);
    y[5] = step(5);
    thirdDown(2);
    if (more) thirdUp(0), thirdUp(1);
    y[6] = step(6);
    if (more) thirdUp(2);
    y[7] = step(7);
    if (more) thirdUp(3);
  }
  finishDown();
  finishFirst();
  finishOut(frames - 1);

  p.filter = gains.filter;
  p.svf = s;
  *this = p;
  noise = noiseGen;
}

template void HighQualityPath::process<false>(const PathContext&, PlugCore::NoiseGenerator&,
                                              const double*, const double*, double*, double*, int);
template void HighQualityPath::process<true>(const PathContext&, PlugCore::NoiseGenerator&,
                                             const double*, const double*, double*, double*, int);

}  // namespace QuorlDsp
