// The two processing qualities: Normal's output stays what it always was, High keeps aliasing
// out of the band and sounds as Normal otherwise, and switching between them runs smoothly.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "AllocationCounter.h"
#include "QuorlDftBins.h"
#include "QuorlQualityCases.h"

namespace {

double rmsOf(const std::vector<double>& x) {
  double sum = 0;
  for (double v : x) sum += v * v;
  return std::sqrt(sum / static_cast<double>(x.size()));
}

// Both channels of a render, left then right.
std::vector<double> renderBoth(QuorlTestRig& rig, int frames,
                               const std::function<double(int, int)>& input) {
  std::vector<double> right;
  std::vector<double> both = rig.render(frames, input, &right);
  both.insert(both.end(), right.begin(), right.end());
  return both;
}

uint64_t normalToneChecksum(const DrivenTone& tone) {
  QuorlTestRig rig(tone.rate);
  setUpTone(rig, tone);
  return checksum(renderBoth(rig, 8192, toneInput(tone)));
}

// Every continuous parameter moving every block, through glides of all lengths.
uint64_t normalMovingChecksum() {
  QuorlTestRig rig(44100.0f, 256);
  rig.resume();
  std::vector<double> all;
  for (int block = 0; block < 48; ++block) {
    for (int p = 0; p < 7; ++p)
      rig.set(p, static_cast<float>(0.5 + 0.45 * std::sin(0.37 * block + 1.3 * p)));
    const std::vector<double> part = renderBoth(rig, 200 + 37 * (block % 5), [](int i, int c) {
      return 0.8 * std::sin(0.061 * i + c) + 0.3 * std::sin(0.83 * i);
    });
    all.insert(all.end(), part.begin(), part.end());
  }
  return checksum(all);
}

TEST(QuorlQuality, NormalSoundsBitForBitAsBefore) {
#ifdef _WIN32
  // Wine's pow, sin and cos differ from the C library's here in the last bits, so the sums below
  // hold for this system's build only; the Windows build runs the same arithmetic.
  GTEST_SKIP() << "the checksums were taken with this system's C library";
#endif
  // Taken from the effect before High existed.
  const uint64_t expected[16] = {
      0x0202c13170cf6362u, 0xf94a6947f90cca84u, 0x31b8ee4b5a516787u, 0x6371dab51af502c5u,
      0xeaeff79d00cb5cbcu, 0xf1f9c6e02c677aefu, 0x3ce49ea50e76834eu, 0x71ef0f82388ff914u,
      0xe42d61ef12d5c93du, 0xdad6b8b5882aa897u, 0xbe20a353a497b741u, 0x4b365c4cfd2561dbu,
      0x126870041e241a04u, 0x9c1f97dce33d3e3du, 0x32b52bdd1cb6e2b7u, 0x764fb242eee41649u,
  };
  const uint64_t expectedMoving = 0x4dc9204d207e2ed8u;
  for (int i = 0; i < 16; ++i) {
    const uint64_t sum = normalToneChecksum(kDrivenTones[i]);
    EXPECT_EQ(sum, expected[i]) << "case " << i;
  }
  const uint64_t moving = normalMovingChecksum();
  EXPECT_EQ(moving, expectedMoving);
}

}  // namespace

namespace {

// The driven tone after its glides and the high-pass's start have passed.
DftBins toneBins(const DrivenTone& tone, bool high) {
  QuorlTestRig rig(tone.rate);
  rig.effect.useHighQuality(high);
  setUpTone(rig, tone);
  const int settle = static_cast<int>(tone.rate / 2);
  const std::vector<double> out =
      rig.render(settle + static_cast<int>(tone.rate / 10), toneInput(tone));
  return DftBins(out, static_cast<size_t>(settle), tone.rate);
}

TEST(QuorlQuality, HighKeepsEveryAliasOfADrivenToneBelowMinus90dB) {
  std::printf("rate   tone  drive cutoff   Normal dBc (at Hz)   High dBc (at Hz)\n");
  for (const DrivenTone& tone : kDrivenTones) {
    double normalAt = 0, highAt = 0;
    const double normal = toneBins(tone, false).strongestInharmonic(tone.hertz, &normalAt);
    const double high = toneBins(tone, true).strongestInharmonic(tone.hertz, &highAt);
    std::printf("%5.0f %5.0f  +%2.0f dB %-8s %7.1f (%5.0f)      %7.1f (%5.0f)\n", tone.rate,
                tone.hertz, tone.driveDb, tone.cutoffAtTone ? "at tone" : "open", normal, normalAt,
                high, highAt);
    EXPECT_LE(high, -90.0) << tone.rate << " Hz, " << tone.hertz << " Hz tone, +" << tone.driveDb
                           << " dB, cutoff " << (tone.cutoffAtTone ? "at the tone" : "open");
  }
}

}  // namespace

namespace {

struct FilterSetting {
  const char* name;
  double hertz;  // 0: the cutoff wide open
  float resonance, morph, band;
};

const FilterSetting kResponseSettings[] = {
    {"open low-pass", 0.0, 0.5f, 0.0f, 0.0f},      {"5 kHz low-pass", 5000.0, 0.5f, 0.0f, 0.0f},
    {"1 kHz resonant", 1000.0, 0.9f, 0.0f, 0.0f},  {"9 kHz high-pass", 9000.0, 0.5f, 1.0f, 0.0f},
    {"3 kHz band-pass", 3000.0, 0.7f, 0.0f, 1.0f}, {"2 kHz notch", 2000.0, 0.6f, 0.5f, 0.0f},
};

float cutoffOf(const FilterSetting& setting) {
  return setting.hertz > 0.0 ? cutoffParameter(setting.hertz) : 1.0f;
}

std::vector<double> responseFrequencies() {
  std::vector<double> frequencies;
  for (int i = 0; i <= 29; ++i) frequencies.push_back(20.0 * std::pow(10.0, 0.1 * i));
  return frequencies;  // 20 Hz to 15.9 kHz
}

// The magnitude response, from the response to a small impulse less the render of silence (the
// noise is the same in both).
std::vector<double> measuredResponseDb(const FilterSetting& setting, bool high, float rate) {
  std::vector<double> runs[2];
  for (int run = 0; run < 2; ++run) {
    QuorlTestRig rig(rate);
    rig.effect.useHighQuality(high);
    rig.set(1, cutoffOf(setting));
    rig.set(2, setting.resonance);
    rig.set(3, setting.morph);
    rig.set(4, setting.band);
    rig.resume();
    rig.render(2000, [](int, int) { return 0.0; });
    runs[run] = rig.render(16384, [run](int i, int) { return run && i == 2000 ? 0.1 : 0.0; });
  }
  std::vector<double> levels;
  for (double f : responseFrequencies()) {
    double re = 0, im = 0;
    for (size_t i = 0; i < runs[0].size(); ++i) {
      const double x = runs[1][i] - runs[0][i], phase = 6.283185307179586 * f * i / rate;
      re += x * std::cos(phase);
      im += x * std::sin(phase);
    }
    levels.push_back(20.0 * std::log10(std::sqrt(re * re + im * im) / 0.1));
  }
  return levels;
}

// The small-signal filter as the trapezoidal rule maps it at `filterRate`: its analog response at
// tan(pi f / filterRate) / g.
double mappedResponseDb(const FilterSetting& setting, double f, double filterRate) {
  const double cutoff = std::pow(1300.0, static_cast<double>(cutoffOf(setting))) * 20.0;
  const QuorlDsp::FilterSettings s = QuorlDsp::makeFilterSettings(
      cutoff / filterRate, setting.resonance * 0.75, setting.morph, setting.band);
  const double w = std::tan(3.141592653589793 * f / filterRate) / s.g;
  const double numRe = s.lpW - s.hpW * w * w, numIm = s.bpW * w;
  const double denRe = 1.0 - w * w, denIm = s.k * w;
  return 10.0 * std::log10((numRe * numRe + numIm * numIm) / (denRe * denRe + denIm * denIm));
}

// Normal's filter runs at twice the rate, High's at eight times: the trapezoidal rule bends the
// frequency axis less at the higher rate, and near the top of the band the two responses part
// by that bend (Normal's falls faster towards its 2x rate's Nyquist frequency). Everything else
// (cutoff, damping, mix, the half-bands' pass band, the gains) must agree: the measured
// difference is the bend's to within 0.03 dB wherever the response is above -60 dB.
TEST(QuorlQuality, HighHasNormalsResponseButForTheTrapezoidalRulesBend) {
  const std::vector<double> frequencies = responseFrequencies();
  for (float rate : {44100.0f, 48000.0f})
    for (const FilterSetting& setting : kResponseSettings) {
      const std::vector<double> normal = measuredResponseDb(setting, false, rate);
      const std::vector<double> high = measuredResponseDb(setting, true, rate);
      double worst = 0, worstAt = 0, upTo = 0;
      bool within = true;
      for (size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i], difference = high[i] - normal[i];
        if (normal[i] < -60.0) continue;  // deep in a stopband or a notch: no reliable figure
        const double bend =
            mappedResponseDb(setting, f, 8.0 * rate) - mappedResponseDb(setting, f, 2.0 * rate);
        EXPECT_NEAR(difference, bend, 0.03) << setting.name << " at " << f << " Hz, " << rate;
        if (std::fabs(difference) > std::fabs(worst)) worst = difference, worstAt = f;
        within = within && std::fabs(difference) <= 0.1;
        if (within) upTo = f;
      }
      std::printf(
          "%5.0f %-16s High - Normal: within 0.1 dB from the bottom up to %5.0f Hz, at most %+.2f "
          "dB "
          "(%5.0f Hz)\n",
          rate, setting.name, upTo, worst, worstAt);
    }
}

// The drive's harmonics of a 1 kHz tone at +12 dB, the cutoff at the tone: the fundamental's
// level (how much the drive compresses) agrees, and each harmonic's level against it but for
// the trapezoidal rule's bend at the harmonic's frequency (within 0.15 dB: a harmonic is made
// all along the filter's loop, so it takes the bend of its output only nearly).
TEST(QuorlQuality, HighHasNormalsHarmonicsButForTheBend) {
  for (float rate : {44100.0f, 48000.0f}) {
    const DrivenTone tone = {rate, 1000.0, 12.0, true};
    const DftBins normal = toneBins(tone, false), high = toneBins(tone, true);
    const FilterSetting setting = {"1 kHz low-pass", 1000.0, 0.5f, 0.0f, 0.0f};
    EXPECT_NEAR(20 * std::log10(high.at(1000.0) / normal.at(1000.0)), 0.0, 0.05) << rate;
    std::printf("%5.0f Hz: harmonic, Normal dBc, High dBc, difference, the bend there\n", rate);
    for (int h = 2; h <= 15; ++h) {
      const double n = 20 * std::log10(normal.at(1000.0 * h) / normal.at(1000.0));
      const double q = 20 * std::log10(high.at(1000.0 * h) / high.at(1000.0));
      const double bend = mappedResponseDb(setting, 1000.0 * h, 8.0 * rate) -
                          mappedResponseDb(setting, 1000.0 * h, 2.0 * rate);
      std::printf("  %2d %8.2f %8.2f %+6.2f %+6.2f\n", h, n, q, q - n, bend);
      if (n > -110.0) {
        EXPECT_NEAR(q - n, bend, 0.15) << "harmonic " << h << ", " << rate;
      }
    }
  }
}

}  // namespace

namespace {

// A tone played through the table's drive while the quality changes between two calls, to High
// and back, against the same tone in each quality without a switch: the largest sample-to-sample
// change, and the level over windows of a millisecond or a period, whichever is longer.
struct SwitchedTone {
  double steadyStep = 0;     // the largest |y[n] - y[n-1]| either quality's steady signal can make
  double switchStep = 0;     // the largest the switched one makes
  double lowestLevelDb = 0;  // against the quieter of the two qualities
};

SwitchedTone switchMidStream(double hertz, float rate, int block, bool cutoffAtTone) {
  const auto input = [=](int i, int) {
    return 0.5 * std::sin(6.283185307179586 * hertz * i / rate);
  };
  const int before = static_cast<int>(rate / 4), during = static_cast<int>(rate / 20);
  std::vector<double> runs[3];  // Normal, High, switched
  for (int run = 0; run < 3; ++run) {
    QuorlTestRig rig(rate, block);
    rig.effect.useHighQuality(run == 1);
    rig.set(0, driveParameter(12.0));
    rig.set(1, cutoffAtTone ? cutoffParameter(hertz) : 1.0f);
    rig.set(2, cutoffAtTone ? 0.9f : 0.5f);
    rig.set(6, 0.5f);
    rig.resume();
    std::vector<double> out = rig.render(before, input);
    for (bool high : {true, false}) {
      if (run == 2) rig.effect.useHighQuality(high);
      EXPECT_EQ(rig.effect.usesHighQuality(), run == 1 || (run == 2 && high));
      const std::vector<double> part = rig.render(during, input);
      out.insert(out.end(), part.begin(), part.end());
    }
    runs[run] = out;
  }
  SwitchedTone result;
  const size_t from = static_cast<size_t>(before) - 200;
  // Whatever the sampling phase (the switch delays the signal by fractions of a sample), a
  // steady signal steps no further than the sum of its components' largest steps.
  for (int run = 0; run < 2; ++run) {
    const DftBins bins(runs[run], runs[run].size() - static_cast<size_t>(rate / 10), rate);
    double bound = 0;
    for (size_t k = 1; k < bins.magnitude.size(); ++k)
      bound += 2.0 * bins.magnitude[k] * std::sin(3.141592653589793 * 10.0 * k / rate);
    result.steadyStep = std::max(result.steadyStep, bound);
  }
  for (size_t i = from; i < runs[0].size(); ++i) {
    result.switchStep = std::max(result.switchStep, std::fabs(runs[2][i] - runs[2][i - 1]));
  }
  const size_t window = static_cast<size_t>(std::max(rate / 1000.0, rate / hertz) + 0.5);
  for (size_t i = from; i + window <= runs[0].size(); i += window / 4) {
    double level[3];
    for (int run = 0; run < 3; ++run)
      level[run] =
          rmsOf(std::vector<double>(runs[run].begin() + i, runs[run].begin() + i + window));
    result.lowestLevelDb =
        std::min(result.lowestLevelDb, 20 * std::log10(level[2] / std::min(level[0], level[1])));
  }
  return result;
}

// The two qualities' outputs are aligned before they fade into each other: no sample-to-sample
// change more than 3 % beyond what either steady output can make (the glide of the delay bends
// the pitch by under 1 % for a few ms), and no dip deeper than 0.6 dB.
TEST(QuorlQuality, SwitchingWhileATonePlaysNeitherClicksNorDropsOut) {
  for (float rate : {44100.0f, 48000.0f})
    for (double hertz : {100.0, 1000.0, 5000.0, 10000.0, 12000.0, 15000.0})
      for (int block : {512, 77}) {
        const bool atTone = block == 77;  // the resonant cutoff at the tone, in odd blocks
        const SwitchedTone tone = switchMidStream(hertz, rate, block, atTone);
        std::printf(
            "%5.0f Hz, %5.0f Hz tone, blocks of %3d, cutoff %-6s: largest step %.4f "
            "(steady %.4f), lowest level %+.2f dB\n",
            rate, hertz, block, atTone ? "at it" : "open", tone.switchStep, tone.steadyStep,
            tone.lowestLevelDb);
        EXPECT_LE(tone.switchStep, tone.steadyStep * 1.03) << hertz << " Hz";
        EXPECT_GE(tone.lowestLevelDb, -0.6) << hertz << " Hz";
      }
}

}  // namespace

namespace {

// A host that automates the choice faster than a switch takes: each request is taken when the
// switch before it is over, and the tone passes without a click or a dip all along.
TEST(QuorlQuality, ARequestEveryBlockStillSwitchesSmoothly) {
  const double hertz = 3000.0;
  QuorlTestRig steady(44100.0f, 64), toggled(44100.0f, 64);
  for (QuorlTestRig* rig : {&steady, &toggled}) {
    rig->set(0, driveParameter(12.0));
    rig->resume();
  }
  const auto input = [=](int i, int) {
    return 0.5 * std::sin(6.283185307179586 * hertz * i / 44100.0);
  };
  std::vector<double> a = steady.render(4410, input), b = toggled.render(4410, input);
  double largestStep = 0, lowest = 1e9, highest = 0;
  for (int block = 0; block < 400; ++block) {
    toggled.effect.useHighQuality(block % 2 == 0);
    const std::vector<double> x = steady.render(64, input), y = toggled.render(64, input);
    for (int i = 0; i < 64; ++i) {
      largestStep = std::max(largestStep, std::fabs(y[i] - (i ? y[i - 1] : b.back())));
      b.push_back(y[i]);
    }
    a.insert(a.end(), x.begin(), x.end());
    if (block % 4 == 3) {  // four blocks hold five periods of the tone, less a little
      const double level = rmsOf(std::vector<double>(b.end() - 256, b.end())) /
                           rmsOf(std::vector<double>(a.end() - 256, a.end()));
      lowest = std::min(lowest, level), highest = std::max(highest, level);
    }
  }
  const double amplitude = std::sqrt(2.0) * rmsOf(std::vector<double>(a.begin() + 4410, a.end()));
  EXPECT_LE(largestStep, 2.0 * amplitude * std::sin(3.141592653589793 * hertz / 44100.0) * 1.03);
  EXPECT_GT(20 * std::log10(lowest), -0.5);
  EXPECT_LT(20 * std::log10(highest), 0.5);
}

TEST(QuorlQuality, HighAndSwitchingAllocateNothing) {
  if (!AllocationCounter::isActive()) GTEST_SKIP() << "the sanitizer owns operator new";
  Quorl effect(nullptr);
  effect.setSampleRate(48000.0f);
  effect.setBlockSize(256);
  effect.resume();
  std::vector<double> buffer(4 * 600, 0.25);
  std::vector<float> floats(4 * 600, 0.25f);
  double* in[2] = {&buffer[0], &buffer[600]};
  double* out[2] = {&buffer[1200], &buffer[1800]};
  float* inF[2] = {&floats[0], &floats[600]};
  float* outF[2] = {&floats[1200], &floats[1800]};

  const auto before = AllocationCounter::count();
  for (int block = 0; block < 60; ++block) {
    if (block % 20 == 0) effect.useHighQuality(block % 40 == 0);  // a switch every 20 blocks
    effect.setParameter(1, 0.3f + 0.01f * static_cast<float>(block % 7));
    if (block % 2)
      effect.processDoubleReplacing(in, out, block % 3 ? 256 : 600);  // longer: in pieces
    else
      effect.processReplacing(inF, outF, block % 3 ? 256 : 600);
  }
  EXPECT_EQ(AllocationCounter::count(), before);
}

}  // namespace

namespace {

// High skips the settings' work while nothing glides, as Normal does, and two instances agree:
// through automation, settled stretches and a switch each way, every bit as the plain reading.
TEST(QuorlQuality, HighInstancesAndBothReadingsAgree) {
  const auto automate = [](QuorlTestRig& rig) {
    rig.effect.useHighQuality(true);
    rig.resume();
    std::vector<double> all;
    for (int block = 0; block < 60; ++block) {
      if (block < 20 || (block > 40 && block < 45)) {
        rig.set(1, 0.3f + 0.015f * static_cast<float>(block));
        rig.set(0, 0.02f * static_cast<float>(block));
      }
      if (block == 30 || block == 50) rig.effect.useHighQuality(block == 50);
      const std::vector<double> part = rig.render(300, [](int i, int c) {
        return 0.4 * std::sin(6.283185307179586 * 220.0 * i / 44100.0 + c);
      });
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  };
  QuorlTestRig a, b, reference;
  reference.effect.setEvaluateEverySample(true);
  const std::vector<double> outA = automate(a);
  EXPECT_EQ(outA, automate(b));
  EXPECT_EQ(outA, automate(reference));
}

}  // namespace
