// Raw .f64 files: interleaved stereo 64-bit little-endian doubles with no header. They carry a
// double render bit for bit, which WAV cannot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Audio.h"

// Two channels at `rate`. False when the size is not a whole number of 16-byte frames.
bool decodeRawStereo(const std::vector<uint8_t>& bytes, int rate, Audio& audio, std::string& error);

// The first two channels (a mono `audio` twice), interleaved.
std::vector<uint8_t> encodeRawStereo(const Audio& audio);

// True for a name ending in .f64, in any case.
bool isRawAudioName(const std::string& path);
