// The other ways audio gets in and out: raw stereo doubles, which must survive bit for bit, and
// the generated test signals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "RawAudio.h"
#include "SignalGenerator.h"

namespace {

using ::testing::HasSubstr;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(HostRawAudio, RoundTripKeepsEveryBit) {
  Audio source;
  source.rate = 44100;
  source.channels = {{-0.0, 4.9e-324, std::nan("0x5"), 1.0 / 3}, {1e308, -INFINITY, 0.5, -1}};
  const std::vector<uint8_t> bytes = encodeRawStereo(source);
  ASSERT_EQ(bytes.size(), 4u * 16);
  EXPECT_EQ(bytes[7], 0x80);  // little-endian: the sign of -0.0 is in the eighth byte
  Audio back;
  std::string error;
  ASSERT_TRUE(decodeRawStereo(bytes, 22050, back, error)) << error;
  EXPECT_EQ(back.rate, 22050);
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < 4; ++i)
      EXPECT_TRUE(sameBits(back.channels[c][i], source.channels[c][i])) << c << " " << i;
}

TEST(HostRawAudio, MonoIsWrittenTwiceAndPartialFramesAreRefused) {
  Audio mono;
  mono.channels = {{0.25}};
  const std::vector<uint8_t> bytes = encodeRawStereo(mono);
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(std::memcmp(bytes.data(), bytes.data() + 8, 8), 0);

  Audio audio;
  std::string error;
  EXPECT_FALSE(decodeRawStereo(std::vector<uint8_t>(24), 44100, audio, error));
  EXPECT_THAT(error, HasSubstr("not a whole number"));
  EXPECT_TRUE(isRawAudioName("take.F64"));
  EXPECT_FALSE(isRawAudioName("take.f64.wav"));
}

TEST(HostSignal, ParsesEveryKindAndRefusesNonsense) {
  SignalShape shape;
  std::string error;
  ASSERT_TRUE(parseSignal("saw-sweep:20:20000:0.25", shape, error));
  EXPECT_EQ(shape.kind, SignalShape::Kind::sawSweep);
  EXPECT_EQ(shape.freq1, 20000);
  EXPECT_EQ(shape.amp, 0.25);
  ASSERT_TRUE(parseSignal("noise", shape, error));
  EXPECT_EQ(shape.amp, 0.5);
  for (const char* bad : {"sine", "sine:0", "sine:-5", "sine:440:x", "sine:440:0.5:1",
                          "noise:", "saw-sweep:20", "silence:1", "pink", "sine:nan"})
    EXPECT_FALSE(parseSignal(bad, shape, error)) << bad;
}

TEST(HostSignal, SineAndSweepHaveTheirShape) {
  SignalShape sine;
  std::string error;
  ASSERT_TRUE(parseSignal("sine:12000:0.8", sine, error));
  const Audio a = generateSignal(sine, 48000, 5);  // a quarter cycle per sample
  ASSERT_EQ(a.channels.size(), 1u);
  const double expected[] = {0, 0.8, 0, -0.8, 0};
  for (size_t i = 0; i < 5; ++i) EXPECT_NEAR(a.channels[0][i], expected[i], 1e-12);

  SignalShape sweep;
  ASSERT_TRUE(parseSignal("saw-sweep:100:2000", sweep, error));
  const Audio s = generateSignal(sweep, 8000, 8000);
  EXPECT_EQ(s.channels[0][0], 0.0);
  auto wraps = [&](size_t from, size_t to) {
    int count = 0;
    for (size_t i = from + 1; i < to; ++i) count += s.channels[0][i] < s.channels[0][i - 1];
    return count;
  };
  // Exponential from 100 Hz to 2 kHz: about 11.6 and 171 cycles in the first and last tenth (a
  // linear sweep would give 19.5 and 190).
  EXPECT_NEAR(wraps(0, 800), 11.6, 1);
  EXPECT_NEAR(wraps(7200, 8000), 171, 3);
  for (double x : s.channels[0]) ASSERT_LE(std::fabs(x), 0.5);
}

TEST(HostSignal, NoiseIsRepeatableStereoAndBounded) {
  SignalShape noise;
  std::string error;
  ASSERT_TRUE(parseSignal("noise:0.1", noise, error));
  const Audio a = generateSignal(noise, 44100, 1000);
  ASSERT_EQ(a.channels.size(), 2u);
  EXPECT_EQ(a.channels, generateSignal(noise, 44100, 1000).channels);
  EXPECT_NE(a.channels[0], a.channels[1]);
  double sum = 0;
  for (double x : a.channels[0]) {
    ASSERT_LT(std::fabs(x), 0.1 + 1e-12);
    sum += x;
  }
  EXPECT_NEAR(sum / 1000, 0.0, 0.01);
}

}  // namespace
