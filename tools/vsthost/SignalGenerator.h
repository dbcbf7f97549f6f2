// Test signals for `render --signal`: sine, an exponential saw sweep, white noise, program material
// (a mix of drums, bass and chords) and silence.
// Every one is deterministic, so two renders of the same signal can be compared sample for sample.
#pragma once

#include <string>

#include "Audio.h"

struct SignalShape {
  enum class Kind { sine, sawSweep, noise, music, silence };
  Kind kind = Kind::silence;
  double freq0 = 0;  // sine frequency, or the sweep's start
  double freq1 = 0;  // the sweep's end
  double amp = 0.5;
};

// "sine:FREQ[:AMP]", "saw-sweep:F0:F1[:AMP]", "noise[:AMP]", "music[:PEAK]" or "silence". Music
// peaks at -1 dBFS unless PEAK is given.
bool parseSignal(const std::string& text, SignalShape& shape, std::string& error);

// Noise and music have two channels; the other signals are mono, fed to both inputs.
Audio generateSignal(const SignalShape& shape, int rate, size_t frames);
