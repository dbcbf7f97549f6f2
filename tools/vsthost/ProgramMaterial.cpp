#include "ProgramMaterial.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kBeat = 0.5;  // seconds, at 120 BPM
constexpr double kBar = 4 * kBeat;
constexpr int kBars = 4;
// Each part's level, set by ear and by loudness so that the whole, peaking at -1 dBFS, measures
// about -18 LUFS: a mix before mastering, with the drums' clicks as its peaks.
constexpr double kKick = 1.0, kSnare = 0.8, kHat = 0.4, kBass = 0.25, kChord = 0.03;

double noteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

struct Noise {
  uint64_t state;
  double next() {  // splitmix64, uniform in [-1, 1)
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }
};

// A tone of falling harmonics (1 / n^tilt), none at or above `limit` Hz; the weights are worked
// out once per note and the harmonics found by the sine recurrence.
class HarmonicTone {
 public:
  HarmonicTone(double frequency, double tilt, double limit) : frequency_(frequency) {
    for (int n = 1; n * frequency < limit && n <= 24; ++n)
      weights_.push_back(1.0 / std::pow(n, tilt));
  }
  double at(double seconds) const {
    const double angle = kTwoPi * std::fmod(frequency_ * seconds, 1.0);
    const double twiceCos = 2.0 * std::cos(angle);
    double previous = 0.0, current = std::sin(angle), sum = 0.0;
    for (double weight : weights_) {
      sum += weight * current;
      const double next = twiceCos * current - previous;
      previous = current;
      current = next;
    }
    return sum;
  }

 private:
  double frequency_;
  std::vector<double> weights_;
};

// A click a millisecond or so long: a sweep down from `high` to `low` Hz, broad like a beater's
// or a stick's attack, and the same waveform at every sample rate (noise would peak differently
// at each).
double click(double seconds, double high, double low, double length) {
  const double rate = std::log(high / low) / length;  // the sweep's exponential rate
  const double cycles = high * (1 - std::exp(-rate * seconds)) / rate;
  return std::sin(kTwoPi * cycles) * std::exp(-seconds / (length / 2));
}

struct Mix {
  std::vector<double>& left;
  std::vector<double>& right;
  int rate;

  // Adds `level` times `sound(t)` from `start` seconds on for `length` seconds, panned from -1
  // (left) to 1 (right).
  template <typename Sound>
  void add(double start, double length, double level, double pan, Sound sound) {
    const size_t first = static_cast<size_t>(std::llround(start * rate));
    const size_t count = static_cast<size_t>(std::llround(length * rate));
    const double gainL = level * std::sqrt(0.5 * (1 - pan)),
                 gainR = level * std::sqrt(0.5 * (1 + pan));
    for (size_t i = 0; i < count && first + i < left.size(); ++i) {
      const double value = sound(static_cast<double>(i) / rate);
      left[first + i] += gainL * value;
      right[first + i] += gainR * value;
    }
  }
};

void drums(Mix& mix, Noise& noise) {
  for (int bar = 0; bar < kBars; ++bar) {
    const double at = bar * kBar;
    std::vector<double> kicks = {0, 2 * kBeat};
    if (bar == kBars - 1) kicks.push_back(2.5 * kBeat);
    for (double beat : kicks)
      mix.add(at + beat, 0.45, kKick, 0, [phase = 0.0, rate = mix.rate](double t) mutable {
        phase += (45 + 110 * std::exp(-t / 0.03)) / rate;  // the pitch falls from 155 to 45 Hz
        // The beater's click is where a kick peaks.
        return 0.45 * std::sin(kTwoPi * phase) * std::exp(-t / 0.1) + click(t, 6000, 800, 0.002);
      });
    for (double beat : {kBeat, 3 * kBeat})
      mix.add(at + beat, 0.3, kSnare, 0.1, [&noise, last = 0.0](double t) mutable {
        const double n = noise.next(), bright = n - last;  // the difference tilts it up
        last = n;
        return 0.3 * std::sin(kTwoPi * 185 * t) * std::exp(-t / 0.05) +
               bright * 0.2 * std::exp(-t / 0.07) + 0.8 * click(t, 9000, 1500, 0.0015);
      });
    for (int eighth = 0; eighth < 8; ++eighth)
      mix.add(at + eighth * kBeat / 2, 0.1, eighth % 2 ? kHat : kHat * 0.6, 0.4,
              [&noise, a = 0.0, b = 0.0](double t) mutable {
                const double n = noise.next(), d1 = n - a, d2 = d1 - b;  // two differences: hiss
                a = n;
                b = d1;
                return d2 * 0.25 * std::exp(-t / 0.025);
              });
  }
}

void bass(Mix& mix) {
  const int roots[kBars] = {33, 29, 36, 31};  // A1, F1, C2, G1
  const double limit = std::fmin(2000.0, 0.45 * mix.rate);
  // Eighths with rests, one an octave up and the last on the fifth.
  const int pattern[8] = {0, 0, -1, 0, 12, -1, 0, 7};
  for (int bar = 0; bar < kBars; ++bar)
    for (int eighth = 0; eighth < 8; ++eighth) {
      if (pattern[eighth] < 0) continue;
      const double frequency = noteFrequency(roots[bar] + pattern[eighth]);
      const HarmonicTone tone(frequency, 1.6, limit);
      mix.add(bar * kBar + eighth * kBeat / 2, kBeat / 2, kBass, 0, [&tone](double t) {
        const double envelope = std::fmin(1.0, t / 0.004) * std::exp(-t / 0.15) *
                                std::fmin(1.0, (kBeat / 2 - t) / 0.01);
        return envelope * tone.at(t);
      });
    }
}

void chords(Mix& mix) {
  const int voicings[kBars][3] = {{57, 60, 64}, {53, 57, 60}, {60, 64, 67}, {55, 59, 62}};
  const double limit = std::fmin(8000.0, 0.45 * mix.rate);
  for (int bar = 0; bar < kBars; ++bar)
    for (int note : voicings[bar])
      for (double detune : {-1.0, 1.0}) {
        // Two copies a few cents apart, one on each side, make the chords wide.
        const double frequency = noteFrequency(note) * std::pow(2.0, detune * 4 / 1200.0);
        const HarmonicTone tone(frequency, 1.3, limit);
        mix.add(bar * kBar, kBar, kChord, detune * 0.7, [&tone](double t) {
          const double envelope = std::fmin(1.0, t / 0.03) * (0.6 + 0.4 * std::exp(-t / 0.5)) *
                                  std::fmin(1.0, (kBar - t) / 0.02);
          return envelope * tone.at(t);
        });
      }
}

}  // namespace

Audio programMaterial(int rate, size_t frames, double peak) {
  Audio audio;
  audio.rate = rate;
  const size_t loopFrames = static_cast<size_t>(std::llround(kBars * kBar * rate));
  std::vector<double> left(loopFrames, 0.0), right(loopFrames, 0.0);
  Mix mix{left, right, rate};
  Noise noise{0x6D75736963ull};
  drums(mix, noise);
  bass(mix);
  chords(mix);

  double largest = 0;
  for (size_t i = 0; i < loopFrames; ++i)
    largest = std::fmax(largest, std::fmax(std::fabs(left[i]), std::fabs(right[i])));
  const double scale = largest > 0 ? peak / largest : 0.0;
  audio.channels.assign(2, std::vector<double>(frames));
  for (size_t i = 0; i < frames; ++i) {
    audio.channels[0][i] = left[i % loopFrames] * scale;
    audio.channels[1][i] = right[i % loopFrames] * scale;
  }
  return audio;
}
