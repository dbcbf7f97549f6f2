// Program material of our own that stands for a mix: four bars at 120 BPM of kick, snare and
// hi-hat, a bass line and sustained chords (A minor, F, C, G), in stereo, repeated to the length
// asked for. Band-limited at every rate and deterministic, so that a loudness measured on it
// means the same at 44.1 and 96 kHz, and two renders can be compared sample for sample.
#pragma once

#include <cstddef>

#include "Audio.h"

// Scaled so that its largest sample is `peak`.
Audio programMaterial(int rate, size_t frames, double peak);
