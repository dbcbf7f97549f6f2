#include "RawAudio.h"

#include <cctype>
#include <cstring>

#include "ByteOrder.h"

namespace {
constexpr size_t kFrameBytes = 16;
}

bool decodeRawStereo(const std::vector<uint8_t>& bytes, int rate, Audio& audio,
                     std::string& error) {
  if (bytes.size() % kFrameBytes != 0) {
    error = "raw file of " + std::to_string(bytes.size()) +
            " bytes is not a whole number of stereo double frames (16 bytes each)";
    return false;
  }
  const size_t frames = bytes.size() / kFrameBytes;
  if (frames * 2 > kMaxSamples) {
    error = "too long: " + std::to_string(frames) + " frames";
    return false;
  }
  audio.rate = rate;
  audio.channels.assign(2, std::vector<double>(frames));
  const uint8_t* p = bytes.data();
  for (size_t i = 0; i < frames; ++i) {
    for (auto& channel : audio.channels) {
      const uint64_t raw = loadU64(p);
      std::memcpy(&channel[i], &raw, sizeof raw);
      p += sizeof raw;
    }
  }
  return true;
}

std::vector<uint8_t> encodeRawStereo(const Audio& audio) {
  std::vector<uint8_t> bytes;
  bytes.reserve(audio.frames() * kFrameBytes);
  for (size_t i = 0; i < audio.frames(); ++i) {
    for (size_t c = 0; c < 2; ++c) {
      uint64_t raw;
      std::memcpy(&raw, &audio.channelFor(c)[i], sizeof raw);
      appendU64(bytes, raw);
    }
  }
  return bytes;
}

bool isRawAudioName(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".f64";
}
