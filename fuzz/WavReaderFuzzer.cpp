// Feeds arbitrary bytes to the host tool's WAV reader, as a file from anywhere would come, and
// checks that what it accepts is whole: channels of one length, which write out and read back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly as large as the input, so that a read one byte past it is caught.
  const std::vector<uint8_t> bytes(data, data + size);
  Audio audio;
  std::string error;
  if (!decodeWav(bytes, audio, error)) {
    if (error.empty()) std::abort();  // a refusal says why
    return 0;
  }
  if (audio.channels.empty() || audio.rate <= 0) std::abort();
  for (const std::vector<double>& channel : audio.channels)
    if (channel.size() != audio.frames()) std::abort();
  std::vector<uint8_t> encoded;
  if (!encodeWavFloat(audio, encoded, error)) std::abort();
  Audio again;
  if (!decodeWav(encoded, again, error) || again.frames() != audio.frames() ||
      again.channels.size() != audio.channels.size() || again.rate != audio.rate)
    std::abort();
  return 0;
}
