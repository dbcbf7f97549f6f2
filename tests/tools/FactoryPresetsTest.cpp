// The sixteen factory presets as a musician steps through them in the real Linux module: each
// sits near the loudness of what goes in (BS.1770-4, on our program material), none clips, and
// each does what its name says, measured the way its description states it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "BlockPlan.h"
#include "HostCallback.h"
#include "Loudness.h"
#include "Measure.h"
#include "PluginModule.h"
#include "ProgramMaterial.h"
#include "Renderer.h"

namespace {

constexpr int kPresets = 16;

double dB(double x) { return 20.0 * std::log10(x); }

class Quorl {
 public:
  Quorl() {
    // The user's own defaults must not reach the factory presets.
    setenv("XDG_CONFIG_HOME", "/nonexistent/quorl-preset-test", 1);
    std::string error;
    EXPECT_TRUE(module_.load(QUORL_MODULE, error)) << error;
  }

  // `source` through program `program` of a fresh instance, as a host plays it.
  Audio play(int program, const Audio& source) {
    hostcallback::reset(true);
    hostcallback::startTransport(source.rate, 512, true);
    Effect effect(module_.create(hostcallback::callback));
    effect.open();
    RenderSettings settings;
    settings.path = SamplePath::float64;
    settings.beforeParams = [&] { effect.dispatch(effSetProgram, 0, program); };
    const Audio out = render(
        effect, source, planBlocks(static_cast<int64_t>(source.frames()), 512, {}, {}), settings);
    effect.close();
    return out;
  }

  std::string name(int program) {
    hostcallback::reset(true);
    Effect effect(module_.create(hostcallback::callback));
    effect.open();
    char text[64] = {};
    effect.dispatch(effGetProgramNameIndexed, program, -1, text);
    effect.close();
    return text;
  }

 private:
  PluginModule module_;
};

Quorl& quorl() {
  static Quorl instance;
  return instance;
}

int programNamed(const std::string& name) {
  for (int p = 0; p < kPresets; ++p)
    if (quorl().name(p) == name) return p;
  ADD_FAILURE() << "no preset is named " << name;
  return 0;
}

// Magnitude response (dB against the input, output level included) of a program, from a small
// click after the glides: small enough that the saturation stays out of it.
struct Magnitude {
  std::vector<double> frequencies, levels;
  double at(double frequency) const {
    for (size_t i = 1; i < frequencies.size(); ++i)
      if (frequencies[i] >= frequency) {
        const double t = std::log(frequency / frequencies[i - 1]) /
                         std::log(frequencies[i] / frequencies[i - 1]);
        return levels[i - 1] + t * (levels[i] - levels[i - 1]);
      }
    return levels.back();
  }
  // The lowest and highest frequency where the response stands within `drop` dB of its maximum.
  std::pair<double, double> band(double drop) const {
    const double top = *std::max_element(levels.begin(), levels.end());
    double low = 0, high = 0;
    for (size_t i = 0; i < levels.size(); ++i)
      if (levels[i] >= top - drop) {
        if (!low) low = frequencies[i];
        high = frequencies[i];
      }
    return {low, high};
  }
};

Magnitude responseOf(int program, int rate = 48000) {
  constexpr double kClick = 0.01;
  const size_t lead = static_cast<size_t>(rate) / 2, length = static_cast<size_t>(rate) * 2;
  Audio click, silence;
  click.rate = silence.rate = rate;
  click.channels.assign(2, std::vector<double>(lead + length, 0.0));
  silence.channels = click.channels;
  click.channels[0][lead] = click.channels[1][lead] = kClick;
  // The noise the plug-in adds is the same in both renders, so their difference is the click's.
  const Audio withClick = quorl().play(program, click), without = quorl().play(program, silence);
  std::vector<double> impulse(length);
  for (size_t i = 0; i < length; ++i)
    impulse[i] = (withClick.channels[0][lead + i] - without.channels[0][lead + i]) / kClick;
  Magnitude response;
  response.frequencies = Response::logFrequencies(20, 20000, 96);
  for (double f : response.frequencies)
    response.levels.push_back(Response::decibels(Response::dftMagnitude(impulse, f, rate)));
  return response;
}

// Total harmonic distortion (per cent) of a sine at -6 dBFS through a program, over a second
// after the glides.
double thdPercent(int program, double frequency, int rate = 48000) {
  Audio sine;
  sine.rate = rate;
  sine.channels.assign(1, std::vector<double>(static_cast<size_t>(rate) * 2));
  for (size_t i = 0; i < sine.channels[0].size(); ++i)
    sine.channels[0][i] = 0.5 * std::sin(6.283185307179586 * std::fmod(frequency * i / rate, 1.0));
  const Audio out = quorl().play(program, sine);
  const std::vector<double> steady(out.channels[0].begin() + rate, out.channels[0].end());
  const double fundamental = Response::dftMagnitude(steady, frequency, rate);
  double harmonics = 0;
  for (int n = 2; n * frequency < rate / 2.0; ++n)
    harmonics += std::pow(Response::dftMagnitude(steady, n * frequency, rate), 2);
  return 100.0 * std::sqrt(harmonics) / fundamental;
}

TEST(FactoryPresets, EachSitsNearTheLoudnessOfItsInputAndNoneClips) {
  for (int rate : {44100, 48000}) {
    const Audio music = programMaterial(rate, static_cast<size_t>(rate) * 16, 0.891251);
    const double input = integratedLoudness(music);
    double quietest = 1e9, loudest = -1e9;
    for (int p = 0; p < kPresets; ++p) {
      const Audio out = quorl().play(p, music);
      const double relative = integratedLoudness(out) - input, peak = dB(samplePeak(out));
      std::printf("%5d Hz  %-20s %+6.2f LU  peak %6.2f dBFS\n", rate, quorl().name(p).c_str(),
                  relative, peak);
      EXPECT_GE(relative, -8.0) << quorl().name(p) << " at " << rate << " Hz";
      EXPECT_LE(relative, 1.0) << quorl().name(p) << " at " << rate << " Hz";
      EXPECT_LE(peak, -0.3) << quorl().name(p) << " at " << rate << " Hz";
      quietest = std::min(quietest, relative);
      loudest = std::max(loudest, relative);
    }
    EXPECT_LE(loudest - quietest, 6.0) << "stepping through the presets at " << rate << " Hz";
  }
}

// The frequency where the response first falls `drop` dB below its level at `from`, walking up
// (or down, when `to` lies below `from`).
double edge(const Magnitude& m, double from, double to, double drop) {
  const double reference = m.at(from), step = to > from ? 1.01 : 1 / 1.01;
  for (double f = from; to > from ? f <= to : f >= to; f *= step)
    if (m.at(f) <= reference - drop) return f;
  return 0;
}

double peakFrequency(const Magnitude& m, double low, double high) {
  double best = low;
  for (double f = low; f <= high; f *= 1.005)
    if (m.at(f) > m.at(best)) best = f;
  return best;
}

double loudestFrequencyOf(const Audio& audio, double low, double high) {
  const std::vector<double> tail(audio.channels[0].end() - audio.rate, audio.channels[0].end());
  double best = low, bestMagnitude = 0;
  for (double f = low; f <= high; f *= 1.001) {
    const double magnitude = Response::dftMagnitude(tail, f, audio.rate);
    if (magnitude > bestMagnitude) bestMagnitude = magnitude, best = f;
  }
  return best;
}

#define EXPECT_WITHIN(value, low, high)          \
  do {                                           \
    const double v_ = (value);                   \
    EXPECT_GE(v_, low) << #value;                \
    EXPECT_LE(v_, high) << #value;               \
    std::printf("  %-58s %10.3f\n", #value, v_); \
  } while (0)

TEST(FactoryPresets, EachDoesWhatItsNameSays) {
  {
    SCOPED_TRACE("Open Filter: changes nothing but a little lift at the very top");
    const Magnitude m = responseOf(programNamed("Open Filter"));
    EXPECT_WITHIN(m.at(50), -0.1, 0.1);
    EXPECT_WITHIN(m.at(5000), -0.2, 0.6);
    EXPECT_WITHIN(m.at(20000), 1.5, 3.0);
  }
  {
    SCOPED_TRACE("Gentle Low-Pass: a soft roll-off from 2 kHz");
    const Magnitude m = responseOf(programNamed("Gentle Low-Pass"));
    EXPECT_WITHIN(edge(m, 100, 20000, 3), 1700, 2300);
    EXPECT_WITHIN(m.at(100) - m.at(8000), 12, 30);
  }
  {
    SCOPED_TRACE("Warm Low-Pass: the top removed above 1 kHz, a little driven");
    const int p = programNamed("Warm Low-Pass");
    EXPECT_WITHIN(edge(responseOf(p), 100, 20000, 3), 850, 1100);
    EXPECT_WITHIN(thdPercent(p, 800), 0.1, 2);
  }
  {
    SCOPED_TRACE("Dark Pad: only the low end");
    const Magnitude m = responseOf(programNamed("Dark Pad"));
    EXPECT_WITHIN(edge(m, 40, 20000, 3), 250, 400);
    EXPECT_WITHIN(m.at(60) - m.at(2000), 30, 60);
  }
  {
    SCOPED_TRACE("Lo-Fi Band: the widest band-pass, 420 to 2400 Hz");
    const Magnitude m = responseOf(programNamed("Lo-Fi Band"));
    const double centre = peakFrequency(m, 200, 5000);
    EXPECT_WITHIN(centre, 900, 1100);
    EXPECT_WITHIN(edge(m, centre, 20, 3), 380, 460);
    EXPECT_WITHIN(edge(m, centre, 20000, 3), 2200, 2700);
    EXPECT_WITHIN(edge(m, centre, 20, 6), 240, 300);
    EXPECT_WITHIN(edge(m, centre, 20000, 6), 3300, 4100);
  }
  {
    SCOPED_TRACE("Radio Voice: a band at 1.3 kHz, driven until it breaks up");
    const int p = programNamed("Radio Voice");
    EXPECT_WITHIN(peakFrequency(responseOf(p), 200, 5000), 1150, 1450);
    EXPECT_WITHIN(thdPercent(p, 1300), 2, 100);
  }
  {
    SCOPED_TRACE("Driven Band-Pass: a band at 700 Hz that audibly distorts");
    const int p = programNamed("Driven Band-Pass");
    EXPECT_WITHIN(peakFrequency(responseOf(p), 200, 5000), 600, 800);
    EXPECT_WITHIN(thdPercent(p, 700), 2, 100);
  }
  {
    SCOPED_TRACE("Acid Sweep Start: a squelchy resonant low-pass at 400 Hz");
    const Magnitude m = responseOf(programNamed("Acid Sweep Start"));
    EXPECT_WITHIN(peakFrequency(m, 100, 2000), 350, 450);
    EXPECT_WITHIN(m.at(400) - m.at(50), 8, 30);
  }
  {
    SCOPED_TRACE("Thin High-Pass: the low end removed below 600 Hz");
    const Magnitude m = responseOf(programNamed("Thin High-Pass"));
    EXPECT_WITHIN(edge(m, 10000, 20, 3), 500, 700);
    EXPECT_WITHIN(m.at(5000) - m.at(100), 25, 60);
  }
  {
    SCOPED_TRACE("Airy High-Pass: the air above 3 kHz lifted over the dry signal");
    const Magnitude m = responseOf(programNamed("Airy High-Pass"));
    EXPECT_WITHIN(m.at(10000) - m.at(200), 3, 12);
  }
  {
    SCOPED_TRACE("Half LP Half BP: lows down, a rounded band at 1.5 kHz");
    const Magnitude m = responseOf(programNamed("Half LP Half BP"));
    EXPECT_WITHIN(peakFrequency(m, 200, 10000), 1100, 1800);
    EXPECT_WITHIN(m.at(1500) - m.at(50), 3, 12);
  }
  {
    SCOPED_TRACE("Notch Sweep: a notch at 1 kHz");
    const Magnitude m = responseOf(programNamed("Notch Sweep"));
    double notch = 300;
    for (double f = 300; f < 3000; f *= 1.002)
      if (m.at(f) < m.at(notch)) notch = f;
    EXPECT_WITHIN(notch, 950, 1050);
    EXPECT_WITHIN(m.at(100) - m.at(notch), 20, 200);
  }
  {
    SCOPED_TRACE("Parallel Warmth: a driven low-pass under the dry signal");
    const int p = programNamed("Parallel Warmth");
    const Magnitude m = responseOf(p);
    EXPECT_WITHIN(m.at(100) - m.at(5000), 3, 9);
    EXPECT_WITHIN(thdPercent(p, 220), 0.3, 100);
  }
  {
    SCOPED_TRACE("Resonant Bass Lift: the lows raised under the rest");
    const Magnitude m = responseOf(programNamed("Resonant Bass Lift"));
    EXPECT_WITHIN(peakFrequency(m, 30, 300), 60, 110);
    EXPECT_WITHIN(m.at(peakFrequency(m, 30, 300)), 3, 15);
    EXPECT_WITHIN(m.at(1000), -12, 3);
    EXPECT_WITHIN(m.at(2000), -12, 3);
    EXPECT_WITHIN(m.at(4000), -12, 3);
  }
  {
    SCOPED_TRACE("Hard Drive Low-Pass: saturated in its passband");
    const int p = programNamed("Hard Drive Low-Pass");
    EXPECT_WITHIN(edge(responseOf(p), 40, 20000, 3), 450, 650);
    EXPECT_WITHIN(thdPercent(p, 110), 2, 100);
  }
  {
    SCOPED_TRACE("Singing Tone: the filter sings 440 Hz on its own");
    const int rate = 48000;
    Audio silence;
    silence.rate = rate;
    silence.channels.assign(2, std::vector<double>(static_cast<size_t>(rate) * 6, 0.0));
    const Audio out = quorl().play(programNamed("Singing Tone"), silence);
    EXPECT_WITHIN(loudestFrequencyOf(out, 200, 2000), 430, 450);
    EXPECT_WITHIN(integratedLoudness(out), -40, -14);
  }
}

}  // namespace
