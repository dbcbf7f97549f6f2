#include "WavFile.h"

#include <cstdio>
#include <cstring>

#include "ByteOrder.h"

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kFmtSize = 16;
constexpr size_t kExtensibleFmtSize = 40;

// Every standard sub-format GUID ends in these bytes; its first two bytes hold the format tag.
const uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct Span {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

struct Format {
  uint16_t tag = 0;
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint16_t blockAlign = 0;
  uint16_t bits = 0;
};

const char* formatName(uint16_t tag) {
  switch (tag) {
    case 0x0002:
      return "ADPCM";
    case 0x0006:
      return "A-law";
    case 0x0007:
      return "mu-law";
    case 0x0011:
      return "IMA ADPCM";
    case 0x0050:
      return "MPEG";
    case 0x0055:
      return "MPEG layer 3";
    default:
      return nullptr;
  }
}

// "fmt " as is, anything unprintable as hex, so a garbage id still reads in a message.
std::string chunkName(const uint8_t* id) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    if (id[i] < 0x20 || id[i] >= 0x7F) {
      char text[16];
      std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(loadU32(id)));
      return text;
    }
    name += static_cast<char>(id[i]);
  }
  return "'" + name + "'";
}

bool parseFormat(Span fmt, Format& format, std::string& error) {
  if (fmt.size < kFmtSize) {
    error = "fmt chunk too short (" + std::to_string(fmt.size) + " bytes)";
    return false;
  }
  const uint8_t* p = fmt.data;
  format.tag = loadU16(p);
  format.channels = loadU16(p + 2);
  format.rate = loadU32(p + 4);
  format.blockAlign = loadU16(p + 12);
  format.bits = loadU16(p + 14);

  if (format.tag == kFormatExtensible) {
    if (fmt.size < kExtensibleFmtSize || loadU16(p + 16) < kExtensibleFmtSize - 18) {
      error = "extensible fmt chunk too short (" + std::to_string(fmt.size) + " bytes)";
      return false;
    }
    const uint16_t validBits = loadU16(p + 18);
    const uint8_t* guid = p + 24;
    if (std::memcmp(guid + 2, kSubFormatTail, sizeof kSubFormatTail) != 0) {
      error = "unsupported WAV extensible sub-format";
      return false;
    }
    if (validBits > format.bits) {
      error = "valid bits " + std::to_string(validBits) + " exceed the sample size of " +
              std::to_string(format.bits);
      return false;
    }
    format.tag = loadU16(guid);
  }

  if (format.channels == 0) {
    error = "zero channels";
    return false;
  }
  if (format.channels > 2) {
    error = "unsupported channel count " + std::to_string(format.channels) + " (mono or stereo)";
    return false;
  }
  if (format.rate == 0 || format.rate > static_cast<uint32_t>(kMaxSampleRate)) {
    error = "unsupported sample rate " + std::to_string(format.rate);
    return false;
  }
  if (format.tag == kFormatPcm) {
    if (format.bits != 16 && format.bits != 24) {
      error = "unsupported PCM bit depth " + std::to_string(format.bits);
      return false;
    }
  } else if (format.tag == kFormatFloat) {
    if (format.bits != 32) {
      error = "unsupported float bit depth " + std::to_string(format.bits);
      return false;
    }
  } else {
    const char* name = formatName(format.tag);
    error = "unsupported WAV format " + std::to_string(format.tag) +
            (name ? std::string(" (") + name + ")" : std::string());
    return false;
  }
  const unsigned frameBytes = format.channels * (format.bits / 8u);
  if (format.blockAlign != frameBytes) {
    error = "block align " + std::to_string(format.blockAlign) + " does not match " +
            std::to_string(format.channels) + " channels of " + std::to_string(format.bits) +
            " bits";
    return false;
  }
  return true;
}

double decodeSample(const Format& format, const uint8_t* p) {
  if (format.tag == kFormatFloat) {
    const uint32_t bits = loadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  if (format.bits == 16) return static_cast<int16_t>(loadU16(p)) / 32768.0;
  // Shift the 24 bits to the top of a 32-bit word; the arithmetic shift back sign-extends.
  const uint32_t raw = static_cast<uint32_t>(p[0]) << 8 | static_cast<uint32_t>(p[1]) << 16 |
                       static_cast<uint32_t>(p[2]) << 24;
  return (static_cast<int32_t>(raw) >> 8) / 8388608.0;
}

bool decodeSamples(const Format& format, Span data, Audio& audio, std::string& error) {
  if (data.size % format.blockAlign != 0) {
    error = "data chunk of " + std::to_string(data.size) + " bytes is not a whole number of " +
            std::to_string(format.blockAlign) + "-byte frames";
    return false;
  }
  const size_t frames = data.size / format.blockAlign;
  if (frames * format.channels > kMaxSamples) {
    error = "too long: " + std::to_string(frames) + " frames";
    return false;
  }
  const size_t sampleBytes = format.bits / 8u;
  audio.rate = static_cast<int>(format.rate);
  audio.channels.assign(format.channels, std::vector<double>(frames));
  const uint8_t* p = data.data;
  for (size_t i = 0; i < frames; ++i) {
    for (auto& channel : audio.channels) {
      channel[i] = decodeSample(format, p);
      p += sampleBytes;
    }
  }
  return true;
}

}  // namespace

bool decodeWav(const std::vector<uint8_t>& bytes, Audio& audio, std::string& error) {
  const uint8_t* p = bytes.data();
  if (bytes.size() < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  const uint64_t riffEnd = uint64_t(loadU32(p + 4)) + 8;
  if (riffEnd < 12) {
    error = "RIFF size too small";
    return false;
  }
  // A file cut short is walked to its real end first, so the message names the chunk that was
  // cut; a RIFF size that lies with every chunk whole is refused after the walk.
  const bool riffTooLong = riffEnd > bytes.size();
  const size_t end = riffTooLong ? bytes.size() : static_cast<size_t>(riffEnd);

  Span fmt, data;
  bool haveFmt = false, haveData = false;
  size_t pos = 12;
  while (pos < end) {
    if (end - pos < 8) {
      error = "truncated chunk header at byte " + std::to_string(pos);
      return false;
    }
    const uint8_t* id = p + pos;
    const size_t size = loadU32(p + pos + 4);
    const size_t body = pos + 8;
    const bool isFmt = std::memcmp(id, "fmt ", 4) == 0;
    const bool isData = std::memcmp(id, "data", 4) == 0;
    if (size > end - body) {
      error = "truncated " + (isData ? std::string("data") : chunkName(id)) + " chunk: it claims " +
              std::to_string(size) + " bytes, " + std::to_string(end - body) + " remain";
      return false;
    }
    if (isFmt && !haveFmt) {
      fmt = {p + body, size};
      haveFmt = true;
    } else if (isData && !haveData) {
      data = {p + body, size};
      haveData = true;
    }
    // Odd chunks carry a pad byte; a writer that left it off the last chunk only ends the loop.
    pos = body + size + (size & 1);
  }
  if (riffTooLong) {
    error = "truncated file: the RIFF header claims " + std::to_string(riffEnd) +
            " bytes, the file has " + std::to_string(bytes.size());
    return false;
  }
  if (!haveFmt) {
    error = "no fmt chunk";
    return false;
  }
  if (!haveData) {
    error = "no data chunk";
    return false;
  }
  Format format;
  return parseFormat(fmt, format, error) && decodeSamples(format, data, audio, error);
}

bool encodeWavFloat(const Audio& audio, std::vector<uint8_t>& bytes, std::string& error) {
  const uint64_t channels = audio.channels.size();
  const uint64_t frames = audio.frames();
  const uint64_t dataSize = frames * channels * 4;
  // RIFF size: "WAVE", fmt (8 + 18), fact (8 + 4), data header and samples.
  const uint64_t riffSize = 4 + 26 + 12 + 8 + dataSize;
  if (channels == 0 || channels > 0xFFFF || riffSize > 0xFFFFFFFFu) {
    error = channels == 0 ? "no channels to write" : "too long for a WAV file";
    return false;
  }
  bytes.clear();
  bytes.reserve(static_cast<size_t>(riffSize + 8));
  auto tag = [&](const char* id) { bytes.insert(bytes.end(), id, id + 4); };
  tag("RIFF");
  appendU32(bytes, static_cast<uint32_t>(riffSize));
  tag("WAVE");
  // Non-PCM formats carry cbSize and a fact chunk; strict readers ask for both.
  tag("fmt ");
  appendU32(bytes, 18);
  appendU16(bytes, kFormatFloat);
  appendU16(bytes, static_cast<uint16_t>(channels));
  appendU32(bytes, static_cast<uint32_t>(audio.rate));
  appendU32(bytes, static_cast<uint32_t>(audio.rate * channels * 4));
  appendU16(bytes, static_cast<uint16_t>(channels * 4));
  appendU16(bytes, 32);
  appendU16(bytes, 0);
  tag("fact");
  appendU32(bytes, 4);
  appendU32(bytes, static_cast<uint32_t>(frames));
  tag("data");
  appendU32(bytes, static_cast<uint32_t>(dataSize));
  for (size_t i = 0; i < frames; ++i) {
    for (const auto& channel : audio.channels) {
      const float value = static_cast<float>(channel[i]);
      uint32_t raw;
      std::memcpy(&raw, &value, sizeof raw);
      appendU32(bytes, raw);
    }
  }
  return true;
}
