#include "SignalGenerator.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "ProgramMaterial.h"
#include "TextParse.h"

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr uint64_t kNoiseSeed = 0x51A7E5EEDull;

bool parseFrequency(const std::string& text, double& value) {
  return parseFiniteNumber(text, value) && value > 0;
}

// splitmix64: tiny, well mixed, and the same sequence on every platform.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform in [-1, 1), from the top 53 bits.
double nextUniform(uint64_t& state) {
  return static_cast<double>(nextRandom(state) >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

}  // namespace

bool parseSignal(const std::string& text, SignalShape& shape, std::string& error) {
  const std::vector<std::string> parts = split(text, ':');
  const std::string& kind = parts[0];
  shape = SignalShape();
  size_t ampAt = 0;
  bool ok = true;
  if (kind == "sine" && (parts.size() == 2 || parts.size() == 3)) {
    shape.kind = SignalShape::Kind::sine;
    ok = parseFrequency(parts[1], shape.freq0);
    ampAt = 2;
  } else if (kind == "saw-sweep" && (parts.size() == 3 || parts.size() == 4)) {
    shape.kind = SignalShape::Kind::sawSweep;
    ok = parseFrequency(parts[1], shape.freq0) && parseFrequency(parts[2], shape.freq1);
    ampAt = 3;
  } else if (kind == "noise" && parts.size() <= 2) {
    shape.kind = SignalShape::Kind::noise;
    ampAt = 1;
  } else if (kind == "music" && parts.size() <= 2) {
    shape.kind = SignalShape::Kind::music;
    shape.amp = 0.8912509381337456;  // -1 dBFS, where a mastered mix peaks
    ampAt = 1;
  } else if (kind == "silence" && parts.size() == 1) {
    shape.kind = SignalShape::Kind::silence;
  } else {
    error =
        "--signal wants sine:FREQ[:AMP], saw-sweep:F0:F1[:AMP], noise[:AMP], music[:PEAK] or "
        "silence, not '" +
        text + "'";
    return false;
  }
  if (ok && ampAt && ampAt < parts.size()) ok = parseFiniteNumber(parts[ampAt], shape.amp);
  if (!ok) {
    error = "bad numbers in --signal '" + text + "' (frequencies above 0, finite amplitude)";
    return false;
  }
  return true;
}

Audio generateSignal(const SignalShape& shape, int rate, size_t frames) {
  Audio audio;
  audio.rate = rate;
  if (shape.kind == SignalShape::Kind::music) return programMaterial(rate, frames, shape.amp);
  const bool stereo = shape.kind == SignalShape::Kind::noise;
  audio.channels.assign(stereo ? 2 : 1, std::vector<double>(frames, 0.0));
  std::vector<double>& out = audio.channels[0];
  switch (shape.kind) {
    case SignalShape::Kind::sine:
      for (size_t i = 0; i < frames; ++i) {
        // The phase in cycles, wrapped before sin() so long signals keep their precision.
        const double cycles = std::fmod(shape.freq0 * static_cast<double>(i) / rate, 1.0);
        out[i] = shape.amp * std::sin(kTwoPi * cycles);
      }
      break;
    case SignalShape::Kind::sawSweep: {
      const double span = frames > 1 ? static_cast<double>(frames - 1) : 1.0;
      const double ratio = shape.freq1 / shape.freq0;
      // Starting half way through the ramp makes the first sample zero, not a click at -AMP.
      double phase = 0.5;
      for (size_t i = 0; i < frames; ++i) {
        out[i] = shape.amp * (2.0 * phase - 1.0);
        phase += shape.freq0 * std::pow(ratio, static_cast<double>(i) / span) / rate;
        phase -= std::floor(phase);
      }
      break;
    }
    case SignalShape::Kind::noise: {
      uint64_t state = kNoiseSeed;
      for (size_t i = 0; i < frames; ++i)
        for (auto& channel : audio.channels) channel[i] = shape.amp * nextUniform(state);
      break;
    }
    case SignalShape::Kind::music:
    case SignalShape::Kind::silence:
      break;
  }
  return audio;
}
