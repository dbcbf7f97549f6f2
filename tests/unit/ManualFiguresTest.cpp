// The figures docs/manual.md states, measured from the effect as the manual measures them (48 kHz,
// a settled setting, an impulse of 0.1 less the render of silence), each held to the rounding the
// manual prints it with. A failure names the manual's claim: change the manual or the filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Measure.h"
#include "QuorlTestRig.h"
#include "effect/QuorlParameters.h"

namespace {

constexpr double kRate = 48000.0;
constexpr double kTwoPi = 6.283185307179586;

struct Setting {
  double drive = 0.0, cutoff = 1.0, reson = 0.5, morph = 0.0, band = 0.0, wet = 1.0, output = 0.5,
         qRange = 0.0;
};

// The knob position that reads `hertz`.
double knobFor(double hertz) { return std::log(hertz / 20.0) / std::log(1300.0); }

std::unique_ptr<QuorlTestRig> rigFor(const Setting& s, double rate = kRate) {
  auto rig = std::make_unique<QuorlTestRig>(static_cast<float>(rate));
  const double values[] = {s.drive, s.cutoff, s.reson, s.morph, s.band, s.wet, s.output, s.qRange};
  for (int i = 0; i < 8; ++i) rig->set(i, static_cast<float>(values[i]));
  rig->resume();
  return rig;
}

// Renders `seconds` of input(i, channel) after half a second of silence, in which every glide
// ends; returns what follows the lead (left channel, or right with `right`).
// A steady input runs through the lead as well, so that its onset is over too.
std::vector<double> renderAfterLead(const Setting& s, double seconds,
                                    const std::function<double(int, int)>& input,
                                    double rate = kRate, bool right = false, bool steady = false) {
  const auto rig = rigFor(s, rate);
  const int lead = static_cast<int>(rate / 2);
  std::vector<double> outR;
  std::vector<double> outL = rig->render(
      lead + static_cast<int>(seconds * rate),
      [&](int i, int c) { return steady     ? input(i, c)
                                 : i < lead ? 0.0
                                            : input(i - lead, c); },
      &outR);
  std::vector<double>& out = right ? outR : outL;
  return std::vector<double>(out.begin() + lead, out.end());
}

// A second of a sine that has sounded since the start, after the lead.
std::vector<double> renderSteady(const Setting& s, const std::function<double(int, int)>& input,
                                 bool right = false) {
  return renderAfterLead(s, 1.0, input, kRate, right, true);
}

// A second of the response to an impulse, with the effect's own noise taken out.
struct Response {
  std::vector<double> samples;
  double rate;

  double db(double hertz) const {
    return ::Response::decibels(::Response::dftMagnitude(samples, hertz, rate));
  }
  // "3 dB down" is counted from the input's own level: at a low cutoff the resonance already
  // lifts the lowest frequencies a little.
  double reference() const { return 0.0; }

  // The extreme of the level in [low, high]: a log grid, then golden sections around its best.
  double extremeHz(double low, double high, bool highest) const {
    const int points = 200;
    double best = low, bestDb = db(low);
    for (int i = 1; i <= points; ++i) {
      const double hz = low * std::pow(high / low, static_cast<double>(i) / points);
      const double level = db(hz);
      if (highest ? level > bestDb : level < bestDb) best = hz, bestDb = level;
    }
    const double step = std::pow(high / low, 1.0 / points);
    double a = std::log(best / step), b = std::log(best * step);
    const double phi = 0.6180339887498949;
    for (int i = 0; i < 40; ++i) {
      const double c = b - (b - a) * phi, d = a + (b - a) * phi;
      const double dc = db(std::exp(c)), dd = db(std::exp(d));
      if (highest ? dc > dd : dc < dd)
        b = d;
      else
        a = c;
    }
    return std::exp((a + b) / 2);
  }

  // Where the level first falls `drop` dB under its reference, searching up from `from`.
  double dropHz(double drop, double from = 20.0) const {
    const double target = reference() - drop;
    double low = from, high = from;
    while (db(high) >= target) {
      low = high;
      high *= 1.01;
      if (high > rate / 2) return 0.0;
    }
    for (int i = 0; i < 30; ++i) {
      const double mid = std::sqrt(low * high);
      (db(mid) >= target ? low : high) = mid;
    }
    return std::sqrt(low * high);
  }
};

Response impulseResponse(const Setting& s, double rate = kRate) {
  constexpr double amplitude = 0.1;
  auto impulse = [](int i, int) { return i == 0 ? amplitude : 0.0; };
  auto silence = [](int, int) { return 0.0; };
  const std::vector<double> with = renderAfterLead(s, 1.0, impulse, rate);
  const std::vector<double> without = renderAfterLead(s, 1.0, silence, rate);
  Response r{std::vector<double>(with.size()), rate};
  for (size_t i = 0; i < with.size(); ++i) r.samples[i] = (with[i] - without[i]) / amplitude;
  return r;
}

// A steady sine's level in dBFS at `hertz`, over a whole number of its cycles.
double toneDbfs(const std::vector<double>& x, double hertz, double rate = kRate) {
  return ::Response::decibels(::Response::dftMagnitude(x, hertz, rate) * 2.0 /
                              static_cast<double>(x.size()));
}

double rmsDbfs(const std::vector<double>& x, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += x[i] * x[i];
  return 10.0 * std::log10(sum / static_cast<double>(to - from));
}

double peakDbfs(const std::vector<double>& x, size_t from, size_t to) {
  double peak = 0;
  for (size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(x[i]));
  return 20.0 * std::log10(peak);
}

auto sine(double hertz, double dbfs) {
  const double amplitude = std::pow(10.0, dbfs / 20.0);
  return [=](int i, int) { return amplitude * std::sin(kTwoPi * hertz * i / kRate); };
}

// The manual prints `stated` rounded to `step`: the measurement must round to it.
#define EXPECT_ROUNDS_TO(measured, stated, step, claim)                                         \
  EXPECT_LE(std::fabs((measured) - (stated)), (step) / 2 + 1e-9)                                \
      << "the manual says: " << claim << " (measured " << (measured) << ", stated " << (stated) \
      << ")"

std::string text(int index, double value) {
  char buffer[64];
  QuorlParams::formatParameterValue(index, static_cast<float>(value), buffer, sizeof buffer);
  return buffer;
}

const double kCutoff1000 = knobFor(1000.0);

TEST(ManualControls, TableRangesDefaultsAndCutoffReadings) {
  using namespace QuorlParams;
  EXPECT_EQ(text(kCutoff, 0), "20.0") << "cutoff from 20 Hz";
  EXPECT_EQ(text(kCutoff, 1), "26000") << "cutoff to 26000 Hz, its default";
  EXPECT_EQ(text(kDrive, 0), "-20.00") << "drive from -20 dB, its default";
  EXPECT_EQ(text(kDrive, 1), "+20.00") << "drive to +20 dB";
  EXPECT_EQ(text(kOutput, 0), "-10.00") << "output from -10 dB";
  EXPECT_EQ(text(kOutput, 1), "+10.00") << "output to +10 dB";
  EXPECT_EQ(text(kOutput, 0.5), "+0.00") << "output's default 0 dB";
  EXPECT_EQ(text(kResonance, 1), "100") << "resonance to 100 %";
  EXPECT_EQ(text(kQRange, 0), "safe") << "Q range's default safe";
  const float defaults[] = {0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.5f, 0.0f};
  for (int i = 0; i < kParamCount; ++i)
    EXPECT_EQ(kParamTable[i].defaultValue, defaults[i]) << "the table's default of " << i;
  EXPECT_EQ(text(kCutoff, 0.25), "120") << "a quarter of the way up it reads 120 Hz";
  EXPECT_EQ(text(kCutoff, 0.5), "721") << "half way 721 Hz";
  EXPECT_EQ(text(kCutoff, 0.75), "4330") << "three quarters 4330 Hz";
}

TEST(ManualCutoff, EdgesAtEachResonance) {
  Setting s;
  s.cutoff = kCutoff1000;
  s.reson = 0.0;
  const Response r0 = impulseResponse(s);
  EXPECT_ROUNDS_TO(r0.db(1000.0) - r0.reference(), -6.0, 1.0,
                   "at 0 % resonance the low-pass is 6 dB down at the cutoff");
  EXPECT_ROUNDS_TO(r0.dropHz(3.0) / 1000.0, 0.64, 0.01, "3 dB down at 0.64 times it");
  EXPECT_ROUNDS_TO(r0.dropHz(3.0), 642.0, 1.0, "642 Hz for a reading of 1000 Hz");
  // Above its edge: an octave of 12 dB, measured from 4 to 8 times the cutoff.
  EXPECT_ROUNDS_TO(r0.db(4000.0) - r0.db(8000.0), 12.0, 1.0,
                   "above its edge the low-pass falls by 12 dB per octave");

  s.reson = 0.5;
  const Response r50 = impulseResponse(s);
  const double peak = r50.extremeHz(500.0, 1000.0, true);
  EXPECT_ROUNDS_TO(r50.db(peak) - r50.reference(), 2.9, 0.1,
                   "at 50 % it rises by 2.9 dB just below the cutoff");
  EXPECT_ROUNDS_TO(r50.dropHz(3.0, peak) / 1000.0, 1.38, 0.01, "3 dB down at 1.38 times");
  EXPECT_ROUNDS_TO(r50.dropHz(3.0, peak), 1382.0, 1.0, "1382 Hz for 1000 Hz");

  s.reson = 1.0;
  const Response r100 = impulseResponse(s);
  EXPECT_ROUNDS_TO(r100.db(1000.0) - r100.reference(), 18.0, 1.0,
                   "at 100 % (safe range) it peaks by 18 dB right at the cutoff");
  EXPECT_ROUNDS_TO(r100.dropHz(3.0, 1000.0) / 1000.0, 1.55, 0.01, "3 dB down at 1.55 times");
}

TEST(ManualCutoff, RatiosHoldAcrossTheRange) {
  const struct {
    double knob, ratio;
    const char* claim;
  } cases[] = {{0.25, 1.38, "at 50 % resonance 1.38 times the reading at 120 Hz"},
               {0.75, 1.37, "1.37 times at 4330 Hz"}};
  for (const auto& c : cases) {
    Setting s;
    s.cutoff = c.knob;
    const double reading = std::stod(text(QuorlParams::kCutoff, c.knob));
    const Response r = impulseResponse(s);
    EXPECT_ROUNDS_TO(r.dropHz(3.0, reading * 0.8) / reading, c.ratio, 0.01, c.claim);
  }
}

TEST(ManualCutoff, WideOpenTopOctave) {
  const Setting open;
  const Response at48 = impulseResponse(open);
  EXPECT_ROUNDS_TO(at48.db(20000.0) - at48.reference(), 2.4, 0.1,
                   "wide open at 50 % resonance: +2.4 dB at 20 kHz at 48 kHz");
  EXPECT_GT(at48.db(19000.0), at48.db(10000.0) + 1.0) << "the top octave lifted a little";
  const Response at96 = impulseResponse(open, 96000.0);
  const double peak = at96.extremeHz(15000.0, 26000.0, true);
  EXPECT_ROUNDS_TO(at96.db(peak) - at96.reference(), 2.9, 0.1,
                   "+2.9 dB at its peak near 22 kHz at 96 kHz");
  EXPECT_ROUNDS_TO(peak / 1000.0, 22.0, 1.0, "the 96 kHz peak near 22 kHz");
}

TEST(ManualCutoff, HeldBelowTheOversampledNyquistAtLowRates) {
  Setting top;
  for (double rate : {22050.0, 24000.0, 26000.0}) {
    const auto rig = rigFor(top, rate);
    rig->render(static_cast<int>(rate / 2), [](int, int) { return 0.0; });
    EXPECT_DOUBLE_EQ(rig->effect.getFilterSettings().g, std::tan(QuorlDsp::kPi * 0.49))
        << "at " << rate << " Hz the cutoff stops at 0.98 times the sample rate";
  }
  const double rate = 27000.0;
  const auto rig = rigFor(top, rate);
  rig->render(static_cast<int>(rate / 2), [](int, int) { return 0.0; });
  EXPECT_NEAR(rig->effect.getFilterSettings().g, std::tan(QuorlDsp::kPi * 26000.0 / (2 * rate)),
              1e-12)
      << "above 26.5 kHz the whole range up to 26000 Hz is the filter's";
  EXPECT_EQ(text(QuorlParams::kCutoff, 1.0), "26000") << "the readout still shows the knob";
}

TEST(ManualResonance, SafeAndFullPeaks) {
  Setting s;
  s.cutoff = kCutoff1000;
  s.reson = 1.0;
  const Response safe = impulseResponse(s);
  EXPECT_ROUNDS_TO(safe.db(safe.extremeHz(800.0, 1250.0, true)), 18.0, 1.0,
                   "safe: at 100 % the peak stands 18 dB above the rest");
  s.qRange = 1.0;
  const struct {
    double reson, peak, step;
    const char* claim;
  } full[] = {{0.5, 7.0, 2.0, "full: the peak is about 7 dB at 50 %"},
              {0.75, 21.0, 2.0, "21 dB at 75 %"}};
  for (const auto& c : full) {
    s.reson = c.reson;
    const Response r = impulseResponse(s);
    EXPECT_ROUNDS_TO(r.db(r.extremeHz(800.0, 1250.0, true)), c.peak, c.step, c.claim);
  }
  s.reson = 0.9;
  const Response r90 = impulseResponse(s);
  EXPECT_GT(r90.db(r90.extremeHz(950.0, 1050.0, true)), 40.0) << "over 40 dB at 90 %";
}

// The tone in silence, settled: its RMS over the last second, and when it first came within 1 dB
// of that (in 50 ms windows).
struct Singing {
  double rms, peak, buildUp;
};
Singing sing(double hertz, double reson, double drive, double seconds) {
  Setting s;
  s.cutoff = knobFor(hertz);
  s.reson = reson;
  s.drive = drive;
  s.qRange = 1.0;
  const auto rig = rigFor(s);
  const std::vector<double> out =
      rig->render(static_cast<int>(seconds * kRate), [](int, int) { return 0.0; });
  const size_t second = static_cast<size_t>(kRate), window = second / 20;
  Singing result{rmsDbfs(out, out.size() - second, out.size()),
                 peakDbfs(out, out.size() - second, out.size()), -1.0};
  for (size_t i = 0; i + window <= out.size(); i += window)
    if (rmsDbfs(out, i, i + window) >= result.rms - 1.0) {
      result.buildUp = static_cast<double>(i) / kRate;
      break;
    }
  return result;
}

TEST(ManualResonance, SelfOscillation) {
  const Singing at95 = sing(1000.0, 0.94, 0.0, 20.0);
  EXPECT_LT(at95.rms, -60.0) << "above about 95 % the filter self-oscillates (not below)";
  const Singing loud = sing(1000.0, 1.0, 0.0, 3.0);
  EXPECT_ROUNDS_TO(loud.rms, -1.2, 0.1, "the tone settles at -1.2 dBFS RMS");
  EXPECT_ROUNDS_TO(loud.peak, 1.8, 0.1, "with peaks at +1.8 dBFS");
  EXPECT_ROUNDS_TO(loud.buildUp, 0.75, 0.05, "at 1000 Hz it builds up in 0.75 s");
  EXPECT_ROUNDS_TO(sing(440.0, 1.0, 0.0, 5.0).buildUp, 2.1, 0.1, "2.1 s at 440 Hz");
  EXPECT_ROUNDS_TO(sing(100.0, 1.0, 0.0, 10.0).buildUp, 7.2, 0.1, "7.2 s at 100 Hz");
  const Singing threshold = sing(1000.0, 0.96, 0.0, 30.0);
  EXPECT_ROUNDS_TO(threshold.buildUp, 17.5, 2.5, "at 96 % it takes nearly twenty seconds");
  EXPECT_ROUNDS_TO(loud.rms - threshold.rms, 16.0, 1.0, "and settles 16 dB quieter");
  EXPECT_ROUNDS_TO(sing(1000.0, 1.0, 0.5, 3.0).rms, -21.0, 1.0, "at 0 dB of drive -21 dBFS");
  EXPECT_ROUNDS_TO(sing(1000.0, 1.0, 1.0, 3.0).rms, -41.0, 1.0, "at +20 dB at -41 dBFS");
}

TEST(ManualResonance, TailReportedToTheHost) {
  Setting s;
  s.cutoff = 0.0;
  s.reson = 1.0;
  EXPECT_GT(rigFor(s)->effect.getGetTailSize(), static_cast<int>(kRate))
      << "seconds of ring at a low cutoff with the resonance up";
  s.qRange = 1.0;
  EXPECT_EQ(rigFor(s)->effect.getGetTailSize(), AudioEffectX::kEndlessTail)
      << "with the Q range at full, no end at all";
}

TEST(ManualMorph, NotchesAndShelves) {
  Setting s;
  s.cutoff = kCutoff1000;
  s.reson = 0.0;
  s.morph = 0.5;
  const Response notch = impulseResponse(s);
  const double at = notch.extremeHz(800.0, 1250.0, false);
  EXPECT_ROUNDS_TO(at, 1000.0, 1.0, "at 50 % a notch right at the cutoff frequency");
  EXPECT_LT(notch.db(at), -100.0) << "the notch is over 100 dB deep";
  EXPECT_ROUNDS_TO(notch.db(40.0), 0.0, 1.0, "everything else passing at its own level");
  EXPECT_ROUNDS_TO(notch.db(20000.0), 0.0, 1.0, "everything else passing at its own level");
  const struct {
    double morph, ratio, lows, highs;
    const char* claim;
  } cases[] = {{0.25, 1.73, 1.6, -8.0, "at 25 % it sits at 1.73 times the cutoff, lows +1.6 dB"},
               {0.75, 0.58, -8.0, 1.6, "at 75 % it sits at 0.58 times the cutoff, highs +1.6 dB"}};
  for (const auto& c : cases) {
    s.morph = c.morph;
    const Response r = impulseResponse(s);
    EXPECT_ROUNDS_TO(r.extremeHz(400.0, 2500.0, false) / 1000.0, c.ratio, 0.01, c.claim);
    EXPECT_ROUNDS_TO(r.db(40.0), c.lows, c.lows > 0 ? 0.1 : 1.0, c.claim);
    EXPECT_ROUNDS_TO(r.db(20000.0), c.highs, c.highs > 0 ? 0.1 : 1.0, c.claim);
  }
}

TEST(ManualBandpass, PureAndHalfBand) {
  Setting s;
  s.cutoff = kCutoff1000;
  s.band = 1.0;
  const struct {
    double reson, atCutoff;
    const char* claim;
  } pure[] = {{0.0, 0.0, "band 100 %: the cutoff passes at its own level at 0 % resonance"},
              {0.5, 8.0, "8 dB up at 50 %"},
              {1.0, 24.0, "24 dB up at 100 %"}};
  for (const auto& c : pure) {
    s.reson = c.reson;
    const Response r = impulseResponse(s);
    EXPECT_ROUNDS_TO(r.db(1000.0), c.atCutoff, 1.0, c.claim);
    EXPECT_ROUNDS_TO(r.db(4000.0) - r.db(8000.0), 6.0, 2.0, "falls 6 dB per octave above");
    EXPECT_ROUNDS_TO(r.db(125.0) - r.db(62.5), 6.0, 2.0, "and below");
  }
  s.band = 0.5;
  const struct {
    double reson, atCutoff;
    const char* claim;
  } half[] = {{0.0, -5.0, "band 50 % at 0 % resonance: the cutoff comes out 5 dB down"},
              {0.5, 3.0, "at 50 % resonance 3 dB up"},
              {1.0, 19.0, "at 100 % 19 dB up"}};
  for (const auto& c : half) {
    s.reson = c.reson;
    const Response r = impulseResponse(s);
    EXPECT_ROUNDS_TO(r.db(40.0), -6.0, 1.0, "at 50 % the lows are 6 dB down");
    EXPECT_ROUNDS_TO(r.db(r.extremeHz(300.0, 3000.0, true)), c.atCutoff, 1.0, c.claim);
  }
}

TEST(ManualDrive, HarmonicsAndTheResonance) {
  Setting s;
  s.cutoff = kCutoff1000;
  auto level = [&](double drive, double hertz, double dbfs, double measured) {
    s.drive = drive;
    return toneDbfs(renderSteady(s, sine(hertz, dbfs)), measured);
  };
  EXPECT_ROUNDS_TO(level(0.0, 1000.0, -6.0, 1000.0) - level(1.0, 1000.0, -6.0, 1000.0), 6.0, 1.0,
                   "a -6 dBFS sine at the cutoff comes out 6 dB quieter at +20 dB");

  for (double drive : {0.0, 0.5, 1.0}) {
    s.drive = drive;
    const std::vector<double> out = renderSteady(s, sine(220.0, -6.0));
    const double tone = toneDbfs(out, 220.0);
    double rest = 0.0, loudest = -400.0;
    for (int h = 2; h * 220.0 <= 20000.0; ++h) {
      const double level = toneDbfs(out, h * 220.0);
      loudest = std::max(loudest, level);
      rest += std::pow(10.0, level / 10.0);
    }
    if (drive == 0.0) {
      EXPECT_LT(loudest - tone, -100.0) << "at -20 dB the first added harmonic is 100 dB down";
    } else if (drive == 0.5) {
      EXPECT_ROUNDS_TO(toneDbfs(out, 660.0), -70.0, 1.0, "at 0 dB the third harmonic -70 dBFS");
    } else {
      EXPECT_ROUNDS_TO(toneDbfs(out, 660.0), -40.0, 1.0, "at +20 dB it is at -40 dBFS");
      EXPECT_ROUNDS_TO(100.0 * std::sqrt(rest / std::pow(10.0, tone / 10.0)), 1.9, 0.1,
                       "1.9 % distortion in all");
      for (int h = 3; h * 220.0 <= 4200.0; h += 2)
        EXPECT_GT(toneDbfs(out, h * 220.0), -140.0) << "a row of odd harmonics up to 4 kHz";
      EXPECT_LT(toneDbfs(out, 440.0), -140.0) << "odd harmonics: no second";
    }
  }

  s.drive = 1.0;
  const struct {
    double hertz, percent, step;
    const char* claim;
  } low[] = {{110.0, 0.46, 0.01, "at +20 dB 0.46 % distortion at 110 Hz"},
             {55.0, 0.07, 0.01, "0.07 % at 55 Hz"}};
  for (const auto& c : low) {
    const std::vector<double> out = renderSteady(s, sine(c.hertz, -6.0));
    double rest = 0.0;
    for (int h = 2; h * c.hertz <= 20000.0; ++h)
      rest += std::pow(10.0, toneDbfs(out, h * c.hertz) / 10.0);
    const double percent = 100.0 * std::sqrt(rest / std::pow(10.0, toneDbfs(out, c.hertz) / 10.0));
    EXPECT_ROUNDS_TO(percent, c.percent, c.step, c.claim);
  }

  Setting open;
  for (double drive : {0.0, 0.5, 1.0}) {
    open.drive = drive;
    const std::vector<double> out = renderSteady(open, sine(220.0, -6.0));
    for (int h = 2; h <= 9; ++h)
      EXPECT_LT(toneDbfs(out, h * 220.0) - toneDbfs(out, 220.0), -115.0)
          << "wide open, a 220 Hz sine passes clean at any drive (harmonic " << h << ")";
  }
}

TEST(ManualDrive, StereoLinked) {
  Setting s;
  s.cutoff = kCutoff1000;
  s.drive = 1.0;
  auto left = sine(220.0, -6.0), right = sine(1000.0, -30.0);
  auto both = [&](int i, int c) { return c == 0 ? left(i, 0) : right(i, 0); };
  const std::vector<double> out = renderSteady(s, both, true);
  const double tone = toneDbfs(out, 1000.0);
  EXPECT_ROUNDS_TO(
      toneDbfs(out, 560.0) - tone, -23.0, 1.0,
      "the loud left channel puts a sideband at -23 dBc 440 Hz below the right's tone");
  EXPECT_ROUNDS_TO(toneDbfs(out, 1440.0) - tone, -29.0, 1.0, "and -29 dBc 440 Hz above");
  const std::vector<double> alone = renderSteady(s, right, true);
  EXPECT_LT(toneDbfs(alone, 560.0) - toneDbfs(alone, 1000.0), -100.0)
      << "the right channel alone has no such sideband";
}

TEST(ManualWetMixAndOutput, ClampAndHighpass) {
  Setting s;
  const std::vector<double> quiet = renderAfterLead(s, 0.2, [](int, int) { return 0.0; });
  auto click = [&](double sample) {
    std::vector<double> out = renderAfterLead(s, 0.2, [=](int i, int) { return i ? 0.0 : sample; });
    for (size_t i = 0; i < out.size(); ++i) out[i] -= quiet[i];
    return out;
  };
  const std::vector<double> broken = click(1e30);
  EXPECT_EQ(broken, click(100.0)) << "louder samples are held at +40 dBFS";
  EXPECT_LE(peakDbfs(broken, 0, broken.size()), 37.0) << "a click of at most +37 dBFS";
  EXPECT_LT(peakDbfs(broken, 96, broken.size()), -19.0) << "below -20 dBFS within 2 ms";
  EXPECT_LT(peakDbfs(broken, 4800, broken.size()), -40.0) << "below -40 dBFS within 0.1 s";
  const std::vector<double> nan = click(std::nan(""));
  EXPECT_EQ(nan, std::vector<double>(nan.size(), 0.0)) << "not-a-number is taken as silence";

  Setting dry = s;
  dry.wet = 0.0;
  const Response highpass = impulseResponse(dry);
  double low = 1.0, high = 20.0;
  for (int i = 0; i < 30; ++i) {
    const double mid = std::sqrt(low * high);
    (highpass.db(mid) < -3.0 ? low : high) = mid;
  }
  EXPECT_ROUNDS_TO(low, 5.0, 1.0, "a gentle high-pass at 5 Hz at the very end");
}

TEST(ManualEngine, OversamplingLatencyAndNoise) {
  Setting open;
  const auto rig = rigFor(open);
  EXPECT_EQ(rig->effect.getAeffect()->initialDelay, 0) << "no latency reported to the host";
  const Response r = impulseResponse(open);
  EXPECT_GT(std::fabs(r.samples[0]), 0.01) << "the output answers at the input's own sample";
  const auto top = std::max_element(r.samples.begin(), r.samples.end(),
                                    [](double a, double b) { return std::fabs(a) < std::fabs(b); });
  EXPECT_LE(top - r.samples.begin(), 3) << "and peaks within a few samples";

  const std::vector<double> out = renderAfterLead(open, 2.0, [](int, int) { return 0.0; });
  EXPECT_ROUNDS_TO(rmsDbfs(out, 0, out.size()), -104.0, 1.0,
                   "a faint noise of about -104 dBFS RMS at 0 dB output");
  EXPECT_EQ(std::count(out.begin(), out.end(), 0.0), 0) << "never digitally silent";
  EXPECT_LT(peakDbfs(out, 0, out.size()), -90.0) << "about 100 dB below full scale";
}

}  // namespace
