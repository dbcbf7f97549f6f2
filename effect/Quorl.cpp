#include "effect/Quorl.h"

#include <algorithm>
#include <cmath>

#include "effect/AudioFpuMode.h"
#include "effect/QuorlParameters.h"
#include "effect/RingTime.h"
#include "gui/PlugEditVST.h"
#include "gui/PlugFrame.h"
#include "gui/PlugKnob.h"
#include "gui/PlugSwitch.h"

using namespace QuorlDsp;

namespace {

// The resonance knob's reach in each Q range: the full range passes 1, where the filter sings.
constexpr double kSafeQRange = 0.75;
constexpr double kFullQRange = 1.05;

}  // namespace

Quorl::Quorl(audioMasterCallback host)
    : Plug(host, kProgramCount, QuorlParams::kParamCount, "Quorl") {
  setUniqueID(kUniqueId);
  // The major number only: to hosts a minor or patch release is the plug-in their sessions hold.
  setVersion(QUORL_VERSION_MAJOR);
  for (int32_t i = 0; i < QuorlParams::kParamCount; ++i) {
    PlugCore::ParamRecord& record = params[static_cast<uint32_t>(i)];
    const QuorlParams::ParamInfo& info = QuorlParams::kParamTable[i];
    record.name = info.name;
    record.label = info.label;
    record.defaultValue = info.defaultValue;
    record.value = info.defaultValue;
    record.flags = 0;
  }
  // A host may process before its first resume: the settings then are those of the current rate
  // (the default until the host sets one), not zeros that silence the output. The rate stays
  // marked dirty, so the first resume computes them again.
  sampleRateChanged();
  // The panel's colour is its right edge's mean, so a wider host window shows no seam.
  editorDescription = {340, 190, QuorlParams::kParamCount, 0xF3A429, "Texture", 0x25272B};
  // Without a window layer for this platform there is no editor to offer.
  if (Mintwerk::NativeWindowFactory factory = Mintwerk::platformWindowFactory())
    new Mintwerk::PlugEditVST(this, this, &editorDescription, factory);  // registers itself
  hasEditor(editor != nullptr);
  loadStartState();
}

void Quorl::setSampleRate(float rate) {
  if (!(rate >= kLowestSampleRate && rate <= kHighestSampleRate)) return;
  Plug::setSampleRate(rate);
}

void Quorl::sampleRateChanged() {
  rampIncrement = 1.0 / (static_cast<double>(sampleRate) * 0.1);
  highpass = makeHighpassSettings(static_cast<double>(5.0f / sampleRate));
  const int32_t fiveMs = std::max(static_cast<int32_t>(static_cast<double>(sampleRate) * 0.005), 1);
  qualitySwitch.settle = qualitySwitch.fade = fiveMs;
  qualitySwitch.glide = fiveMs * 4;  // a glide of the delay bends the pitch: slowly
}

void Quorl::resetState() {
  drivenL = drivenR = 0.0;
  svf = SvfState();
  highpassL = highpassR = HighpassState();
  oversampler = Oversampler();
  high.reset();
  // Nothing sounds on to fade from.
  highActive = highRequested.load(std::memory_order_relaxed);
  qualitySwitch.active = false;
  normalDelay = SwitchDelay();
}

bool Quorl::processBlock(bool, const PlugCore::TransportInfo&, double* const* inputs,
                         double* const* outputs, int32_t frames) {
  ScopedAudioFpuMode mode;

  double targets[kRampCount];
  for (int j = 0; j < kRampCount; ++j) targets[j] = params[static_cast<uint32_t>(j)].lastCooked;
  ramps.retarget(targets);
  const double qRange = params[QuorlParams::kQRange].lastCooked >= 0.5f ? kFullQRange : kSafeQRange;

  if (!qualitySwitch.active && highRequested.load(std::memory_order_relaxed) != highActive)
    beginSwitch();
  if (qualitySwitch.active) {
    processSwitch(inputs, outputs, frames, qRange);
    return false;
  }
  runPath(highActive, inputs[0], inputs[1], outputs[0], outputs[1], frames, qRange);
  if (!highActive) normalDelay.remember(outputs[0], outputs[1], frames);
  ramps.advance(static_cast<double>(frames) * rampIncrement);
  return false;
}

void Quorl::runPath(bool highQuality, const double* inL, const double* inR, double* outL,
                    double* outR, int32_t frames, double qRange) {
  // While no ramp moves, every sample of the call computes the same settings: compute them once.
  const bool settled = ramps.allSettled() && !evaluateEverySample;
  if (highQuality) {
    const PathContext context{ramps, rampIncrement, qRange, static_cast<double>(sampleRate),
                              highpass};
    if (settled)
      high.process<false>(context, noise, inL, inR, outL, outR, frames);
    else
      high.process<true>(context, noise, inL, inR, outL, outR, frames);
    if (frames > 0) filter = high.filter;
  } else if (settled) {
    processSamples<false>(inL, inR, outL, outR, frames, qRange);
  } else {
    processSamples<true>(inL, inR, outL, outR, frames, qRange);
  }
}

template <bool kRampsMoving>
void Quorl::processSamples(const double* inL, const double* inR, double* outL, double* outR,
                           int32_t frames, double qRange) {
  const double sampleRateTimes2 = static_cast<double>(sampleRate * 2.0f);
  double values[kRampCount];
  Gains gains{};
  if (!kRampsMoving && frames > 0) {
    rampValues(ramps, 0.0, values);
    gains = computeGains(values, qRange, sampleRateTimes2);
  }

  // The states live in registers for the loop and go back to the object afterwards.
  PlugCore::NoiseGenerator noiseGen = noise;
  SvfState s = svf;
  Oversampler os = oversampler;
  HighpassState hpL = highpassL, hpR = highpassR;
  double xL = drivenL, xR = drivenR;

  for (int32_t i = 0; i < frames; ++i) {
    if (kRampsMoving) {
      rampValues(ramps, static_cast<double>(i) * rampIncrement, values);
      gains = computeGains(values, qRange, sampleRateTimes2);
    }
    const FilterSettings& f = gains.filter;

    const double noiseR = noiseGen.next();
    const double noiseL = noiseGen.next();
    const double inputR = noiseR * 1e-5 + inR[i];
    const double inputL = noiseL * 1e-5 + inL[i];
    const StereoPair input = {inputL, inputR};

    // First oversampled step.
    const StereoPair uA = os.upA.process(input, kPhaseA);
    double dryL = uA[0] * gains.dryGain, dryR = uA[1] * gains.dryGain;
    xL = uA[0] * gains.drive;
    xR = uA[1] * gains.drive;
    SvfOutputs o = stepFilter(s, f, xL, xR);
    const double yAL = ((o.hpL * f.hpW + o.bpL * f.bpW) + o.lpL * f.lpW) * gains.wetGain + dryL;
    const double yAR = ((o.hpR * f.hpW + o.bpR * f.bpW) + o.lpR * f.lpW) * gains.wetGain + dryR;

    // Second oversampled step; the filter carries on from the first.
    const StereoPair uB = os.upB.process(input, kPhaseB);
    dryL = uB[0] * gains.dryGain;
    dryR = uB[1] * gains.dryGain;
    xL = uB[0] * gains.drive;
    xR = uB[1] * gains.drive;
    o = stepFilter(s, f, xL, xR);
    const double yBL = ((o.hpL * f.hpW + o.bpL * f.bpW) + o.lpL * f.lpW) * gains.wetGain + dryL;
    const double yBR = ((o.hpR * f.hpW + o.bpR * f.bpW) + o.lpR * f.lpW) * gains.wetGain + dryR;

    // Back down: each phase through the other phase's chain.
    const StereoPair dA = os.downA.process(StereoPair{yBL, yBR}, kPhaseA);
    const StereoPair dB = os.downB.process(StereoPair{yAL, yAR}, kPhaseB);
    const StereoPair d = (dB + dA) * StereoPair{0.5, 0.5};

    outL[i] = hpL.process(d[0], highpass);
    outR[i] = hpR.process(d[1], highpass);
  }

  if (frames > 0) filter = gains.filter;
  noise = noiseGen;
  svf = s;
  oversampler = os;
  highpassL = hpL;
  highpassR = hpR;
  drivenL = xL;
  drivenR = xR;
}

VstInt32 Quorl::getGetTailSize() {
  using namespace QuorlParams;
  auto value = [this](int32_t index) {
    return static_cast<double>(std::fabs(params[static_cast<uint32_t>(index)].value.load()));
  };
  if (value(kQRange) >= 0.5) return kEndlessTail;
  // The settings the ramps head for, as computeGains makes them, at small signal.
  const double r = value(kResonance) * kSafeQRange;
  const double a =
      std::min(std::pow(1300.0, value(kCutoff)) * 20.0 / static_cast<double>(sampleRate * 2.0f),
               kHighestCutoffFraction);
  const FilterSettings f = makeFilterSettings(a, r, 0.0, 0.0);
  const double samples = ringSamples(f.g, f.k, static_cast<double>(5.0f / sampleRate));
  if (samples < 0.0 || samples >= kEndlessTail) return kEndlessTail;
  return static_cast<VstInt32>(samples);
}

namespace {

struct KnobPlacement {
  int32_t paramIndex;
  int32_t x, y;
  const char* caption;
};

// The editor's own captions, which differ from the names the host sees.
const KnobPlacement kKnobs[] = {
    {QuorlParams::kCutoff, 10, 0, "cutoff"},   {QuorlParams::kResonance, 90, 0, "resonance"},
    {QuorlParams::kDrive, 170, 0, "drive"},    {QuorlParams::kMorph, 10, 100, "morph"},
    {QuorlParams::kBand, 90, 100, "bandpass"}, {QuorlParams::kWetMix, 170, 100, "wet mix"},
    {QuorlParams::kOutput, 250, 60, "output"},
};

}  // namespace

void Quorl::build(Mintwerk::PlugFrame& frame) {
  frame.setShowLogo(false);
  for (const KnobPlacement& knob : kKnobs)
    new Mintwerk::PlugKnob(&frame, knob.x, knob.y, 80, 80, knob.caption, knob.paramIndex);
  new Mintwerk::PlugSwitch(&frame, 250, 30, 80, 24, "Q range", QuorlParams::kQRange);
}

void Quorl::formatParameter(int32_t index, char* text, float value) {
  QuorlParams::formatParameterValue(index, value, text, 64);
}
