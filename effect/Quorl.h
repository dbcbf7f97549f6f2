// The stereo filter effect: noise, 2x oversampling (8x in High quality), the saturating
// state-variable filter with its morph and band blend, dry/wet mix, output gain and a 5 Hz
// high-pass.
#pragma once

#include <atomic>

#include "effect/HalfbandAllpass.h"
#include "effect/HighQualityPath.h"
#include "effect/OutputHighpass.h"
#include "effect/ParameterRamps.h"
#include "effect/QualitySwitch.h"
#include "effect/QuorlGains.h"
#include "effect/SaturatingSvf.h"
#include "gui/EditorDescription.h"
#include "gui/IEditBuilder.h"
#include "plugcore/Plug.h"

class Quorl : public PlugCore::Plug, public Mintwerk::IEditBuilder {
 public:
  static constexpr int32_t kProgramCount = 16;
  static constexpr VstInt32 kUniqueId = static_cast<VstInt32>(0xFFFFEB70);  // -5264
  static constexpr int kRampCount = QuorlDsp::kRampCount;

  explicit Quorl(audioMasterCallback host);

  // Rates at which the output high-pass has no finite, stable settings are refused and the
  // previous rate stays: below twice its 5 Hz, and high above any real rate, where its settings
  // drown in rounding (not finite at all from about 3e9 Hz; the limit leaves room for other
  // maths libraries).
  static constexpr float kLowestSampleRate = 10.0f;
  static constexpr float kHighestSampleRate = 1e8f;
  void setSampleRate(float rate) override;
  void sampleRateChanged() override;
  void resetState() override;
  bool processBlock(bool paramsChanged, const PlugCore::TransportInfo& transport,
                    double* const* inputs, double* const* outputs, int32_t frames) override;
  void formatParameter(int32_t index, char* text, float value) override;
  // The ring of the current settings; without end in the full Q range, where the filter sings.
  VstInt32 getGetTailSize() override;

  // The editor's controls, placed into a freshly opened frame.
  void build(Mintwerk::PlugFrame& frame) override;

  // Evaluates the ramps and settings at every sample even while nothing moves: the plain reading
  // of the algorithm, kept as the reference the faster path must match bit for bit.
  void setEvaluateEverySample(bool state) { evaluateEverySample = state; }

  // The processing quality: High runs the filter at four times the rate Normal does, which keeps
  // what the drive makes above the band from folding back. From any thread; the audio thread
  // takes it at its next call and moves from one quality to the other over 25 to 30 ms
  // (QualitySwitch.h says how). The same as choosing Normal or High in the editor's menu.
  void useHighQuality(bool high) {
    setQuality(high ? PlugCore::Quality::high : PlugCore::Quality::normal);
  }
  // The user's choice and the host's rendering decide; the audio thread switches at its next call.
  void qualityChanged() override {
    highRequested.store(wantsHighQuality(), std::memory_order_relaxed);
  }
  bool usesHighQuality() const { return highRequested.load(std::memory_order_relaxed); }

  // For tests: what the audio path currently works with.
  const QuorlDsp::RampBank<kRampCount>& getRamps() const { return ramps; }
  const QuorlDsp::FilterSettings& getFilterSettings() const { return filter; }
  const QuorlDsp::HighpassSettings& getHighpassSettings() const { return highpass; }
  double getRampIncrement() const { return rampIncrement; }

 private:
  void runPath(bool high, const double* inL, const double* inR, double* outL, double* outR,
               int32_t frames, double qRange);
  void beginSwitch();
  void processSwitch(double* const* inputs, double* const* outputs, int32_t frames, double qRange);
  template <bool kRampsMoving>
  void processSamples(const double* inL, const double* inR, double* outL, double* outR,
                      int32_t frames, double qRange);

  QuorlDsp::RampBank<kRampCount> ramps;
  double rampIncrement = 0.0;  // ramp position per sample: 1 / (0.1 * sample rate)
  QuorlDsp::FilterSettings filter;
  double drivenL = 0.0, drivenR = 0.0;
  QuorlDsp::SvfState svf;
  QuorlDsp::HighpassSettings highpass;
  QuorlDsp::HighpassState highpassL, highpassR;
  QuorlDsp::Oversampler oversampler;
  bool evaluateEverySample = false;

  std::atomic<bool> highRequested{false};
  bool highActive = false;  // the quality the audio thread runs, or fades from
  QuorlDsp::HighQualityPath high;
  QuorlDsp::QualitySwitch qualitySwitch;
  QuorlDsp::SwitchDelay normalDelay;  // Normal's latest output, kept for a switch
  static constexpr int32_t kSwitchChunk = 64;
  double switchIn[2][kSwitchChunk], switchNormal[2][kSwitchChunk], switchHigh[2][kSwitchChunk];
  Mintwerk::EditorDescription editorDescription;
};
