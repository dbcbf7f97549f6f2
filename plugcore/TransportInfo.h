#pragma once

namespace PlugCore {

// The host's tempo and position as the effect sees them for one stretch of processing.
struct TransportInfo {
  double tempo;                  // beats per minute, 120 when the host does not say
  double beatPosition;           // quarter notes since the song start
  double quarterNotesPerSample;  // tempo / (sample rate * 60)
  double sampleRate;
};

}  // namespace PlugCore
