// What the effect does to sound, measured on rendered audio, plus the settings and glides
// behind it.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cmath>
#include <type_traits>
#include <vector>

#include "AllocationCounter.h"
#include "QuorlTestRig.h"
#include "effect/ParameterRamps.h"
#include "effect/QuorlParameters.h"
#include "plugcore/NoiseGenerator.h"

namespace {

const double kTwoPi = 6.283185307179586;

double rms(const std::vector<double>& x, size_t from) {
  double sum = 0;
  for (size_t i = from; i < x.size(); ++i) sum += x[i] * x[i];
  return std::sqrt(sum / static_cast<double>(x.size() - from));
}

auto sine(double hertz, double amplitude, double rate = 44100.0) {
  return [=](int i, int) { return amplitude * std::sin(kTwoPi * hertz * i / rate); };
}
auto silence() {
  return [](int, int) { return 0.0; };
}

TEST(QuorlSettings, FiguresAt44100) {
  const double rateTimes2 = 88200.0;
  EXPECT_NEAR(26000.0 / rateTimes2, 0.29478458, 1e-8);
  auto g = [&](double hertz) {
    return QuorlDsp::makeFilterSettings(hertz / rateTimes2, 0, 0, 0).g;
  };
  EXPECT_NEAR(g(26000.0), 1.3299994, 1e-7);
  EXPECT_NEAR(g(std::pow(1300.0, 0.5) * 20.0), 0.025690850, 1e-9);
  EXPECT_NEAR(g(20.0), 0.00071237941, 1e-11);

  EXPECT_EQ(QuorlDsp::makeFilterSettings(0.1, 1.0, 0, 0).k, 0.0);
  EXPECT_TRUE(std::signbit(QuorlDsp::makeFilterSettings(0.1, 1.0, 0, 0).k));
  EXPECT_DOUBLE_EQ(QuorlDsp::makeFilterSettings(0.1, 0.75, 0, 0).k, 0.125);
  EXPECT_NEAR(QuorlDsp::makeFilterSettings(0.1, 1.05, 0, 0).k, -0.005, 1e-15);

  const auto notch = QuorlDsp::makeFilterSettings(0.1, 0.5, 0.5, 0.0);
  EXPECT_DOUBLE_EQ(notch.lpW, 1.0);
  EXPECT_DOUBLE_EQ(notch.hpW, 1.0);
  EXPECT_DOUBLE_EQ(notch.bpW, 0.0);
  const auto band = QuorlDsp::makeFilterSettings(0.1, 0.5, 0.3, 1.0);
  EXPECT_DOUBLE_EQ(band.bpW, 2.0);
  EXPECT_DOUBLE_EQ(band.lpW, 0.0);
  EXPECT_DOUBLE_EQ(band.hpW, 0.0);

  QuorlTestRig rig;
  rig.resume();
  const auto& h = rig.effect.getHighpassSettings();
  EXPECT_NEAR(h.c0, 0.00071219811, 1e-11);
  EXPECT_NEAR(h.c1, 0.99898283, 1e-8);
  EXPECT_NEAR(h.c2, 1403.3894, 1e-4);
  EXPECT_EQ(h.c3, -h.c2);
  EXPECT_NEAR(h.c4, 0.0, 1e-9);
}

TEST(QuorlNoise, SequenceFromZeroAndItsPeriodicRestart) {
  PlugCore::NoiseGenerator noise;
  EXPECT_EQ(noise.next(), 0.0);
  EXPECT_EQ(noise.next(), 0.5);
  EXPECT_EQ(noise.next(), -0.125);
  for (int i = 3; i < 4095; ++i) {
    const double v = noise.next();
    ASSERT_TRUE(v >= -1.0 && v < 1.0);
  }
  const double x = noise.x;
  noise.next();  // the 4096th draw restarts the step at 1 / (1 + 2)
  EXPECT_EQ(noise.counter, 4096u);
  EXPECT_EQ(noise.step, x + 1.0 / 3.0);
}

TEST(QuorlRamps, GlideLengthsAdaptToHowOftenTargetsChange) {
  const double inc = 1.0 / (44100.0 * 0.1);
  QuorlDsp::Ramp ramp;
  ramp.position = 1.0;  // settled at 0
  ramp.retarget(1.0);
  int samples = 0;
  while (ramp.valueAt(samples * inc) < 1.0) ++samples;
  EXPECT_NEAR(samples, 4410, 1);

  // Retargeting to the same value does not restart the glide.
  ramp.advance(64 * inc);
  ramp.retarget(1.0);
  EXPECT_DOUBLE_EQ(ramp.position, 64 * inc);

  // A second change 64 samples into the glide lasts (0.05 + 0.95 * 64 * 10 / 44100) * 100 ms,
  // and starts from the value reached, without a step.
  const double reached = ramp.valueAt(0.0);
  ramp.retarget(0.0);
  EXPECT_DOUBLE_EQ(ramp.valueAt(0.0), reached);
  EXPECT_NEAR(1.0 / ramp.rate, 0.05 + 0.95 * 64 * 10 / 44100.0, 1e-12);
  samples = 0;
  while (ramp.valueAt(samples * inc) > 0.0) ++samples;
  EXPECT_NEAR(samples, 0.0064 * 44100, 3);  // about 6.4 ms

  ramp.retarget(NAN);  // a target that is not a number is not taken
  EXPECT_EQ(ramp.to, 0.0);
}

TEST(QuorlRamps, FirstCallGlidesFromZeroAndZeroFramesStillRetarget) {
  QuorlTestRig rig;
  rig.resume();
  rig.effect.deliverParameters();  // what the frame does before every processBlock
  double nothing[1] = {};
  double* channels[2] = {nothing, nothing};
  rig.effect.processBlock(true, PlugCore::TransportInfo{}, channels, channels, 0);
  const auto& output = rig.effect.getRamps()[6];
  EXPECT_EQ(output.to, 0.5);
  EXPECT_DOUBLE_EQ(output.rate, 20.0);  // 5 ms (just under 20: rounded toward zero)
  EXPECT_EQ(output.position, 0.0);
  rig.render(100, silence());
  EXPECT_DOUBLE_EQ(output.position, 100.0 / 4410.0);
}

TEST(QuorlSound, HundredHertzSinePassesAtUnityGain) {
  QuorlTestRig rig;
  rig.set(2, 0.0f);  // resonance 0, every other parameter at its default
  rig.resume();
  auto out = rig.render(44100, sine(100.0, 0.1));
  EXPECT_NEAR(QuorlTestRig::peak(out, 22050), 0.1, 0.1 * 1e-4);
}

TEST(QuorlSound, SilenceCarriesOnlyTheQuietNoise) {
  QuorlTestRig rig;
  rig.resume();
  auto out = rig.render(44100, silence());
  const double level = 20.0 * std::log10(rms(out, 22050));
  EXPECT_GT(level, -110.0);
  EXPECT_LT(level, -95.0);
}

TEST(QuorlSound, DirectCurrentDecaysThroughTheOutputHighpass) {
  QuorlTestRig rig;
  rig.resume();
  auto out = rig.render(44100 * 2, [](int, int) { return 0.5; });
  EXPECT_GT(QuorlTestRig::peak(out), 0.3);
  EXPECT_LT(std::fabs(out.back()), 0.001);
}

TEST(QuorlSound, FullQRangeOscillatesAndSafeDoesNot) {
  for (float qRange : {1.0f, 0.0f})
    for (bool high : {false, true}) {
      QuorlTestRig rig;
      rig.effect.useHighQuality(high);
      rig.set(7, qRange);
      rig.set(2, 1.0f);
      rig.set(1, 0.5f);
      rig.resume();
      std::vector<double> right;
      auto out = rig.render(44100 * 2, silence(), &right);
      if (qRange > 0.5f) {
        const double settled = QuorlTestRig::peak(out, 66150);
        EXPECT_GT(settled, 0.8);
        EXPECT_LT(settled, 1.5);
        // Steady: the last two quarter seconds peak alike.
        EXPECT_NEAR(
            QuorlTestRig::peak(std::vector<double>(out.begin() + 66150, out.begin() + 77175)),
            settled, 0.05);
        // Near the cutoff (721 Hz): count zero crossings over the last second.
        int crossings = 0;
        for (size_t i = 44101; i < out.size(); ++i) crossings += (out[i - 1] < 0) != (out[i] < 0);
        EXPECT_NEAR(crossings / 2.0, 721.0, 60.0);
      } else {
        EXPECT_LT(rms(out, 44100), 1e-5);
        EXPECT_LT(QuorlTestRig::peak(out, 44100), 1e-4);
      }
    }
}

TEST(QuorlSound, WetMixZeroLeavesTheFilterOut) {
  std::vector<double> outputs[2];
  for (int run = 0; run < 2; ++run) {
    QuorlTestRig rig;
    rig.set(5, 0.0f);
    rig.set(1, run ? 0.2f : 0.9f);  // a different filter must not matter
    rig.set(2, run ? 0.9f : 0.1f);
    rig.resume();
    outputs[run] = rig.render(4096, sine(440.0, 0.5));
  }
  EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(QuorlSound, InstancesAndBothPathsAgree) {
  auto automate = [](QuorlTestRig& rig) {
    rig.resume();
    std::vector<double> all;
    for (int block = 0; block < 40; ++block) {
      rig.set(1, 0.3f + 0.015f * block);
      rig.set(0, 0.02f * block);
      auto part = rig.render(300, sine(220.0, 0.4));
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  };
  QuorlTestRig a, b, reference;
  reference.effect.setEvaluateEverySample(true);
  const auto outA = automate(a), outB = automate(b), outRef = automate(reference);
  EXPECT_EQ(outA, outB);
  EXPECT_EQ(outA, outRef);  // skipping settled work changes no bit

  // The 32-bit entry gives the same within float rounding.
  Quorl narrow(nullptr);
  narrow.setSampleRate(44100.0f);
  narrow.setBlockSize(512);
  narrow.resume();
  std::vector<float> in(300), left(300), right(300);
  for (int i = 0; i < 300; ++i)
    in[i] = static_cast<float>(0.4 * std::sin(kTwoPi * 220.0 * i / 44100.0));
  float* inputs[2] = {in.data(), in.data()};
  float* outputs[2] = {left.data(), right.data()};
  narrow.setParameter(1, 0.3f);
  narrow.setParameter(0, 0.0f);
  narrow.processReplacing(inputs, outputs, 300);
  for (int i = 0; i < 300; ++i) ASSERT_NEAR(left[i], outA[i], 1e-6) << i;
}

enum class Entry { kDouble, kFloat, kAccumulating };

// Plays 700 samples in host calls of the given lengths (block size 256), with a learnt controller
// moving the cutoff at sample 300; returns both channels.
template <typename Sample>
std::vector<Sample> playInCalls(Entry entry, const std::vector<int>& calls) {
  Quorl effect(nullptr);
  effect.setBlockSize(256);
  effect.setParameter(2, 0.8f);
  effect.resume();
  effect.startLearn(1);
  VstMidiEvent controller{};
  controller.type = kVstMidiType;
  controller.byteSize = sizeof controller;
  controller.midiData[0] = static_cast<char>(0xB0);
  controller.midiData[1] = 7;
  controller.midiData[2] = 20;
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&controller);

  std::vector<Sample> in(2 * 700), out(2 * 700, Sample(0.25));
  for (int i = 0; i < 700; ++i) {
    in[i] = static_cast<Sample>(0.5 * std::sin(kTwoPi * 220.0 * i / 44100.0));
    in[700 + i] = static_cast<Sample>(0.3 * std::sin(kTwoPi * 330.0 * i / 44100.0));
  }
  int offset = 0;
  for (int frames : calls) {
    if (offset <= 300 && 300 < offset + frames) {
      controller.deltaFrames = 300 - offset;
      effect.processEvents(&list);
    }
    Sample* inputs[2] = {&in[offset], &in[700 + offset]};
    Sample* outputs[2] = {&out[offset], &out[700 + offset]};
    if constexpr (std::is_same_v<Sample, double>)
      effect.processDoubleReplacing(inputs, outputs, frames);
    else if (entry == Entry::kFloat)
      effect.processReplacing(inputs, outputs, frames);
    else
      effect.process(inputs, outputs, frames);
    offset += frames;
  }
  return out;
}

TEST(QuorlSound, LongCallsSoundAsTheHostSplittingThem) {
  const std::vector<int> whole = {700}, split = {256, 256, 188};
  const auto wholeDouble = playInCalls<double>(Entry::kDouble, whole);
  EXPECT_EQ(wholeDouble, playInCalls<double>(Entry::kDouble, split));
  EXPECT_GT(QuorlTestRig::peak(wholeDouble, 600), 0.01);  // processed, not left as it was
  for (Entry entry : {Entry::kFloat, Entry::kAccumulating})
    EXPECT_EQ(playInCalls<float>(entry, whole), playInCalls<float>(entry, split));
}

TEST(QuorlSound, LowSampleRatesStayFiniteAndBounded) {
  for (float rate : {26000.0f, 22050.0f, 8000.0f})
    for (bool high : {false, true}) {
      QuorlTestRig rig(rate);
      rig.effect.useHighQuality(high);
      rig.set(1, 1.0f);
      rig.set(2, 1.0f);
      rig.set(7, 1.0f);
      rig.set(0, 1.0f);
      rig.resume();
      auto out = rig.render(static_cast<int>(rate), sine(100.0, 0.9, rate));
      for (double v : out) ASSERT_TRUE(std::isfinite(v)) << rate << (high ? " high" : "");
      EXPECT_LT(QuorlTestRig::peak(out), 20.0) << rate << (high ? " high" : "");
    }
}

// Samples no audio carries: a single infinity or NaN sounds as silence does; a single 3e38, or
// a whole second of them alternating in sign, comes out no louder than +40 dBFS, the loudest
// input the effect takes, and a single one is gone within 10 ms. Also with drive and output up.
TEST(QuorlSound, GarbageInputNeverComesOutLoud) {
  const int kAt = 1000, kLength = 44100;
  for (int run = 0; run < 4; ++run) {
    const bool loud = run % 2 != 0, high = run >= 2;
    const auto play = [&](const std::function<double(int, int)>& input) {
      QuorlTestRig rig;
      rig.effect.useHighQuality(high);
      if (loud) {
        rig.set(QuorlParams::kDrive, 1.0f);
        rig.set(QuorlParams::kOutput, 1.0f);
      }
      rig.resume();
      std::vector<double> right;
      std::vector<double> left = rig.render(kLength, input, &right);
      left.insert(left.end(), right.begin(), right.end());
      return left;
    };
    const auto single = [&](double value) {
      return [=](int i, int) { return i == kAt ? value : 0.0; };
    };
    const std::vector<double> silent = play(silence());
    for (double value : {double(INFINITY), -double(INFINITY), double(NAN)})
      EXPECT_EQ(play(single(value)), silent)
          << value << (loud ? " loud" : "") << (high ? " high" : "");

    const std::vector<double> spike = play(single(3e38));
    EXPECT_LE(QuorlTestRig::peak(spike), 100.0) << loud << high;
    std::vector<double> after;
    for (size_t i = 0; i < spike.size(); ++i)
      if (i % kLength > size_t(kAt + 441)) after.push_back(spike[i]);
    EXPECT_LT(QuorlTestRig::peak(after), 1.0) << loud << high;

    const auto alternating = play([](int i, int) { return i % 2 ? 3e38 : -3e38; });
    EXPECT_LE(QuorlTestRig::peak(alternating), 100.0) << loud << high;
  }
}

TEST(QuorlSound, ProcessingBeforeTheFirstResumeSoundsAsAfterOneAtTheDefaultRate) {
  QuorlTestRig never, resumed;
  resumed.resume();
  const auto withoutResume = never.render(4410, sine(100.0, 0.5));
  EXPECT_EQ(withoutResume, resumed.render(4410, sine(100.0, 0.5)));
  EXPECT_GT(QuorlTestRig::peak(withoutResume, 2205), 0.4);
}

// Below 10 Hz the 5 Hz output high-pass has no stable settings (at 1, 2.5 and 5 Hz not even
// finite ones); far above any real rate its settings lose their last bits and stop being finite.
TEST(QuorlSound, SampleRatesWithoutFiniteOutputAreRefused) {
  for (float rate : {1.0f, 2.5f, 5.0f, std::nextafter(10.0f, 0.0f), 3e9f, 1e20f}) {
    QuorlTestRig rig(rate);
    EXPECT_EQ(rig.effect.getSampleRate(), 44100.0f) << rate;  // the previous rate stays
    rig.resume();
    for (double v : rig.render(2048, sine(1.0, 0.5, rate))) ASSERT_TRUE(std::isfinite(v)) << rate;
  }
  for (float rate : {10.0f, 1e8f}) {
    QuorlTestRig rig(rate);
    EXPECT_EQ(rig.effect.getSampleRate(), rate);
    rig.set(0, 1.0f);
    rig.set(2, 1.0f);
    rig.set(7, 1.0f);
    rig.resume();
    for (double v : rig.render(20000, sine(1.0, 0.9, rate))) ASSERT_TRUE(std::isfinite(v)) << rate;
  }
}

TEST(QuorlSound, LongSilenceAfterABurstStaysOutOfTheDenormals) {
  QuorlTestRig rig;
  rig.set(2, 0.9f);
  rig.resume();
  rig.render(4410, [](int i, int) { return (i % 50) < 25 ? 1e9 : -1e9; });
  auto out = rig.render(44100 * 5, silence());
  for (double v : out) ASSERT_NE(std::fpclassify(v), FP_SUBNORMAL);
  for (double v : out) ASSERT_TRUE(std::isfinite(v));
}

TEST(QuorlSound, HostFloatingPointModeIsRestored) {
  QuorlTestRig rig;
  rig.resume();
  const unsigned hostMode = _mm_getcsr();
  _mm_setcsr((hostMode & ~0x3Fu) | 0x01);  // an invalid-operation flag already raised
  rig.render(64, sine(50.0, 0.5));
  EXPECT_EQ(_mm_getcsr(), hostMode & ~0x3Fu);
  _mm_setcsr(hostMode);
}

TEST(QuorlSound, ProcessingAllocatesNothing) {
  if (!AllocationCounter::isActive()) GTEST_SKIP() << "the sanitizer owns operator new";
  Quorl effect(nullptr);
  effect.setSampleRate(44100.0f);
  effect.setBlockSize(256);
  effect.resume();
  VstMidiEvent controller{};
  controller.type = kVstMidiType;
  controller.byteSize = sizeof controller;
  controller.deltaFrames = 100;
  controller.midiData[0] = static_cast<char>(0xB0);
  controller.midiData[1] = 7;
  controller.midiData[2] = 64;
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&controller);
  effect.startLearn(1);
  std::vector<double> buffer(4 * 256, 0.25);
  std::vector<float> floats(4 * 256, 0.25f);
  double* in[2] = {&buffer[0], &buffer[256]};
  double* out[2] = {&buffer[512], &buffer[768]};
  float* inF[2] = {&floats[0], &floats[256]};
  float* outF[2] = {&floats[512], &floats[768]};

  std::vector<double> longBuffer(4 * 600, 0.25);
  std::vector<float> longFloats(4 * 600, 0.25f);
  double* longIn[2] = {&longBuffer[0], &longBuffer[600]};
  double* longOut[2] = {&longBuffer[1200], &longBuffer[1800]};
  float* longInF[2] = {&longFloats[0], &longFloats[600]};
  float* longOutF[2] = {&longFloats[1200], &longFloats[1800]};

  const auto before = AllocationCounter::count();
  effect.processEvents(&list);
  effect.processDoubleReplacing(in, out, 256);  // learns, maps and moves the cutoff mid-block
  effect.setParameter(3, 0.7f);
  effect.processReplacing(inF, outF, 256);
  effect.process(inF, outF, 256);
  effect.processDoubleReplacing(longIn, longOut, 600);  // longer than the block: in pieces
  effect.processReplacing(longInF, longOutF, 600);
  effect.process(longInF, longOutF, 600);
  EXPECT_EQ(AllocationCounter::count(), before);
  EXPECT_EQ(effect.getMapping(1), static_cast<int16_t>(0xB007));
}

}  // namespace

// A host that trusts the tail stops calling once it has passed after the input went quiet: by then
// the output must have sunk into the effect's own noise, however the filter rings.
TEST(QuorlSound, TheTailCoversTheRingAndTheFullRangeHasNoEnd) {
  struct Setting {
    float cutoff, resonance;
  } settings[] = {{1.0f, 0.5f}, {0.0f, 1.0f}, {0.3f, 1.0f}, {0.6f, 0.8f}};
  for (const Setting& s : settings) {
    QuorlTestRig rig;
    rig.set(1, s.cutoff);
    rig.set(2, s.resonance);
    rig.resume();
    const VstIntPtr tail = rig.effect.dispatcher(effGetTailSize, 0, 0, nullptr, 0.0f);
    // Full-scale noise, then a step (which rings longest through the output high-pass), then
    // nothing.
    PlugCore::NoiseGenerator noise;
    rig.render(22050, [&](int i, int) { return i < 11025 ? noise.next() : 1.0; });
    const std::vector<double> after = rig.render(static_cast<int>(tail) + 4096, silence());
    size_t lastAudible = 0;
    for (size_t i = 0; i < after.size(); ++i)
      if (std::fabs(after[i]) > 1e-4) lastAudible = i;
    EXPECT_LT(lastAudible, static_cast<size_t>(tail)) << s.cutoff << " " << s.resonance;
    // The resonant ring at 20 Hz lasts past a second: "no tail" would cut it.
    if (s.cutoff == 0.0f) {
      EXPECT_GT(lastAudible, 44100u);
    }
  }

  QuorlTestRig singing;
  singing.set(7, 1.0f);
  singing.set(2, 0.0f);  // even without resonance now: the knob may turn up at any time
  EXPECT_EQ(singing.effect.dispatcher(effGetTailSize, 0, 0, nullptr, 0.0f),
            AudioEffectX::kEndlessTail);
}
