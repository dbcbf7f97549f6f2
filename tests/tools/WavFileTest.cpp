// WAV reading and writing: every supported layout decodes to the right values, and damaged or
// unsupported files are refused with a reason instead of being read out of bounds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ByteOrder.h"
#include "WavFile.h"

namespace {

using ::testing::HasSubstr;
using Bytes = std::vector<uint8_t>;

struct FmtFields {
  uint16_t tag = 1;
  uint16_t channels = 2;
  uint32_t rate = 48000;
  uint16_t bits = 16;
  bool extensible = false;
  uint16_t subTag = 1;
};

void appendTag(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

void appendChunk(Bytes& out, const char* id, const Bytes& body) {
  appendTag(out, id);
  appendU32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

Bytes fmtBody(const FmtFields& f) {
  Bytes body;
  appendU16(body, f.extensible ? 0xFFFE : f.tag);
  appendU16(body, f.channels);
  appendU32(body, f.rate);
  appendU32(body, f.rate * f.channels * f.bits / 8);
  appendU16(body, static_cast<uint16_t>(f.channels * f.bits / 8));
  appendU16(body, f.bits);
  if (f.extensible) {
    appendU16(body, 22);
    appendU16(body, f.bits);
    appendU32(body, f.channels == 1 ? 0x4 : 0x3);
    const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    appendU16(body, f.subTag);
    body.insert(body.end(), tail, tail + 14);
  }
  return body;
}

// A RIFF file of the given chunks, with a correct RIFF size.
Bytes riff(const Bytes& chunks) {
  Bytes out;
  appendTag(out, "RIFF");
  appendU32(out, static_cast<uint32_t>(chunks.size() + 4));
  appendTag(out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

Bytes wav(const FmtFields& f, const Bytes& data) {
  Bytes chunks;
  appendChunk(chunks, "fmt ", fmtBody(f));
  appendChunk(chunks, "data", data);
  return riff(chunks);
}

Bytes pcm16(std::initializer_list<int16_t> samples) {
  Bytes out;
  for (int16_t s : samples) appendU16(out, static_cast<uint16_t>(s));
  return out;
}

Bytes pcm24(std::initializer_list<int32_t> samples) {
  Bytes out;
  for (int32_t s : samples)
    for (int shift = 0; shift < 24; shift += 8) out.push_back(static_cast<uint8_t>(s >> shift));
  return out;
}

std::string decodeError(const Bytes& bytes) {
  Audio audio;
  std::string error;
  EXPECT_FALSE(decodeWav(bytes, audio, error));
  return error;
}

Audio decoded(const Bytes& bytes) {
  Audio audio;
  std::string error;
  EXPECT_TRUE(decodeWav(bytes, audio, error)) << error;
  return audio;
}

TEST(HostWavRead, Pcm16StereoScalesAndInterleaves) {
  const Audio audio = decoded(wav({}, pcm16({0, 32767, -32768, 1})));
  EXPECT_EQ(audio.rate, 48000);
  ASSERT_EQ(audio.channels.size(), 2u);
  EXPECT_EQ(audio.channels[0], (std::vector<double>{0, -1}));
  EXPECT_EQ(audio.channels[1], (std::vector<double>{32767 / 32768.0, 1 / 32768.0}));
}

TEST(HostWavRead, Pcm24SignExtends) {
  FmtFields f;
  f.channels = 1;
  f.bits = 24;
  const Audio audio = decoded(wav(f, pcm24({0x7FFFFF, -0x800000, -1, 1})));
  ASSERT_EQ(audio.channels.size(), 1u);
  EXPECT_EQ(audio.channels[0],
            (std::vector<double>{0x7FFFFF / 8388608.0, -1, -1 / 8388608.0, 1 / 8388608.0}));
}

TEST(HostWavRead, ExtensibleCarriesPcmAndFloat) {
  FmtFields f;
  f.extensible = true;
  f.bits = 24;
  EXPECT_EQ(decoded(wav(f, pcm24({-0x800000, 0x400000}))).channels[1][0], 0.5);

  Audio source;
  source.rate = 96000;
  source.channels = {{0.25}, {-0.75}};
  Bytes floats;
  std::string error;
  ASSERT_TRUE(encodeWavFloat(source, floats, error));
  f.subTag = 3;
  f.bits = 32;
  const Bytes samples(floats.end() - 8, floats.end());
  EXPECT_EQ(decoded(wav(f, samples)).channels, source.channels);

  f.subTag = 2;
  EXPECT_THAT(decodeError(wav(f, samples)), HasSubstr("unsupported WAV format 2 (ADPCM)"));
  Bytes foreignGuid = wav(f, samples);
  foreignGuid[12 + 8 + 24 + 15] ^= 0xFF;  // last byte of the sub-format GUID
  EXPECT_THAT(decodeError(foreignGuid), HasSubstr("sub-format"));
}

TEST(HostWavRead, SkipsOtherChunksWithTheirPadding) {
  FmtFields f;
  f.channels = 1;
  Bytes chunks;
  appendChunk(chunks, "LIST", Bytes{1, 2, 3});  // odd: a pad byte follows
  appendChunk(chunks, "data", pcm16({-16384}));
  appendChunk(chunks, "fmt ", fmtBody(f));
  Bytes file = riff(chunks);
  file.push_back(0xEE);  // bytes beyond the RIFF size are not ours to read
  EXPECT_EQ(decoded(file).channels[0], std::vector<double>{-0.5});
}

TEST(HostWavWrite, FloatRoundTripKeepsEveryFloat) {
  Audio source;
  source.rate = 44100;
  source.channels = {{0.0, -0.0, 1.5, -1e-40, 3.0e38, std::nan("")},
                     {0.1, -0.1, 1e-3, 7.0, -2.0, INFINITY}};
  Bytes bytes;
  std::string error;
  ASSERT_TRUE(encodeWavFloat(source, bytes, error));
  const Audio back = decoded(bytes);
  EXPECT_EQ(back.rate, 44100);
  ASSERT_EQ(back.channels.size(), 2u);
  for (size_t c = 0; c < 2; ++c) {
    for (size_t i = 0; i < source.frames(); ++i) {
      const float expected = static_cast<float>(source.channels[c][i]);
      const float actual = static_cast<float>(back.channels[c][i]);
      EXPECT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0) << c << " " << i;
    }
  }

  source.channels.resize(1);
  ASSERT_TRUE(encodeWavFloat(source, bytes, error));
  EXPECT_EQ(decoded(bytes).channels.size(), 1u);
}

TEST(HostWavRead, RefusesMalformedFiles) {
  const Bytes good = wav({}, pcm16({1, 2, 3, 4}));
  auto with = [&](size_t at, uint32_t value) {
    Bytes b = good;
    b[at] = static_cast<uint8_t>(value);
    b[at + 1] = static_cast<uint8_t>(value >> 8);
    return b;
  };
  const size_t fmt = 20;                 // fmt body
  const size_t dataSize = fmt + 16 + 4;  // data chunk's size field
  Bytes longerRiff = good;
  longerRiff[4] += 2;
  Bytes lyingData = good;
  lyingData[dataSize] = 12;
  Bytes hugeData = good;
  for (size_t i = 0; i < 4; ++i) hugeData[dataSize + i] = 0xFF;

  Bytes fmtChunks;
  appendChunk(fmtChunks, "fmt ", Bytes(14, 0));
  appendChunk(fmtChunks, "data", pcm16({0, 0}));
  Bytes onlyFmt, onlyData;
  appendChunk(onlyFmt, "fmt ", fmtBody({}));
  appendChunk(onlyData, "data", pcm16({0, 0}));
  Bytes dangling = riff(onlyFmt);
  dangling.insert(dangling.end(), {'d', 'a', 't'});
  dangling[4] += 3;

  const struct {
    Bytes bytes;
    const char* reason;
  } cases[] = {
      {Bytes{'R', 'I', 'F', 'F'}, "not a RIFF WAVE"},
      {longerRiff, "truncated file"},
      {Bytes(good.begin(), good.end() - 2), "truncated data chunk"},
      {lyingData, "truncated data chunk"},
      {hugeData, "truncated data chunk"},
      {riff(fmtChunks), "fmt chunk too short"},
      {riff(onlyFmt), "no data chunk"},
      {riff(onlyData), "no fmt chunk"},
      {dangling, "truncated chunk header"},
      {with(fmt, 2), "unsupported WAV format 2 (ADPCM)"},
      {with(fmt + 2, 0), "zero channels"},
      {with(fmt + 2, 6), "unsupported channel count 6"},
      {with(fmt + 4, 0), "unsupported sample rate 0"},
      {with(fmt + 12, 3), "block align 3"},
      {with(fmt + 14, 8), "unsupported PCM bit depth 8"},
      {wav({}, Bytes{1, 2, 3, 4, 5, 6}), "not a whole number"},
  };
  for (const auto& c : cases) EXPECT_THAT(decodeError(c.bytes), HasSubstr(c.reason)) << c.reason;
}

// Any cut or any single damaged header byte must give a result or an error, never a bad read
// (the sanitizer build turns a bad read into a failure).
TEST(HostWavRead, SurvivesEveryTruncationAndHeaderByte) {
  FmtFields f;
  f.extensible = true;
  const Bytes good = wav(f, pcm16({1, 2, 3, 4}));
  for (size_t size = 0; size < good.size(); ++size) {
    Audio audio;
    std::string error;
    EXPECT_FALSE(decodeWav(Bytes(good.begin(), good.begin() + size), audio, error)) << size;
  }
  for (size_t at = 0; at < good.size() - 8; ++at) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      Bytes bad = good;
      bad[at] = value;
      Audio audio;
      std::string error;
      if (decodeWav(bad, audio, error)) {
        EXPECT_LE(audio.frames() * audio.channels.size() * 2, bad.size());
      }
    }
  }
}

}  // namespace
