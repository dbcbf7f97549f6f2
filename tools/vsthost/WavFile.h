// WAV files. Reading takes 16-bit and 24-bit PCM and 32-bit float, plain or in the extensible
// header, mono or stereo; writing is always 32-bit float, which keeps a float render exact.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Audio.h"

// False with a reason a user can act on ("truncated data chunk", "unsupported WAV format 2
// (ADPCM)"). Reads nothing outside `bytes`, whatever the header fields claim.
bool decodeWav(const std::vector<uint8_t>& bytes, Audio& audio, std::string& error);

// Every channel of `audio` as 32-bit float. False when the data would not fit a RIFF file.
bool encodeWavFloat(const Audio& audio, std::vector<uint8_t>& bytes, std::string& error);
