// Integrated loudness as loudness meters measure it (ITU-R BS.1770-4): K-weighted, in 400 ms
// blocks that overlap by three quarters, gated at -70 LUFS and then 10 LU below the ungated
// result. Left and right weigh 1 each; a mono signal counts as one channel.
#pragma once

#include <limits>
#include <vector>

#include "Audio.h"

// LUFS, or minus infinity for audio shorter than one block or entirely below the absolute gate.
double integratedLoudness(const Audio& audio);

// The largest sample magnitude over every channel.
double samplePeak(const Audio& audio);
