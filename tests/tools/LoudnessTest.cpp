// The loudness meter on signals whose loudness the standard's own test material fixes, and the
// program material the presets are matched on.
#include <gtest/gtest.h>

#include <cmath>

#include "Loudness.h"
#include "ProgramMaterial.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Stereo sine segments: {seconds, dBFS peak amplitude} one after the other.
Audio sineSegments(int rate, double frequency,
                   std::initializer_list<std::pair<double, double>> parts) {
  Audio audio;
  audio.rate = rate;
  audio.channels.assign(2, {});
  size_t n = 0;
  for (const auto& [seconds, dbfs] : parts) {
    const double amplitude = std::pow(10.0, dbfs / 20.0);
    for (size_t i = 0, count = static_cast<size_t>(seconds * rate); i < count; ++i, ++n) {
      const double x = amplitude * std::sin(kTwoPi * std::fmod(frequency * n / rate, 1.0));
      audio.channels[0].push_back(x);
      audio.channels[1].push_back(x);
    }
  }
  return audio;
}

TEST(Loudness, MeasuresAsTheStandardsTestSignalsSay) {
  for (int rate : {44100, 48000, 96000}) {
    // A 1 kHz sine at -23 dBFS in both channels reads -23 LUFS (the K-weighting adds 0.69 dB
    // there, which the -0.691 of the formula takes back); at 10 kHz its shelf adds 4.04 dB, at
    // 40 Hz its high-pass takes some off.
    EXPECT_NEAR(integratedLoudness(sineSegments(rate, 1000, {{20, -23}})), -23.0, 0.1) << rate;
    EXPECT_NEAR(integratedLoudness(sineSegments(rate, 10000, {{20, -23}})), -23 - 0.691 + 4.04, 0.05);
    EXPECT_LT(integratedLoudness(sineSegments(rate, 40, {{20, -23}})), -23.0 - 1.5);
    // Quiet stretches fall under the relative gate and do not pull the reading down.
    EXPECT_NEAR(integratedLoudness(sineSegments(rate, 1000, {{10, -36}, {60, -23}, {10, -36}})),
                -23.0, 0.1);
    // Silence and near-silence fall under the absolute gate.
    EXPECT_NEAR(integratedLoudness(sineSegments(rate, 1000, {{20, -80}, {20, -23}, {20, -80}})),
                -23.0, 0.1);
  }
  EXPECT_TRUE(std::isinf(integratedLoudness(sineSegments(48000, 1000, {{0.39, -3}}))));
  EXPECT_TRUE(std::isinf(integratedLoudness(sineSegments(48000, 1000, {{5, -75}}))));
}

TEST(ProgramMaterialSignal, IsAStereoMixAtItsPeakAndRepeatsExactly) {
  for (int rate : {44100, 48000, 96000}) {
    const Audio music = programMaterial(rate, static_cast<size_t>(rate) * 10, 0.5);
    ASSERT_EQ(music.channels.size(), 2u);
    EXPECT_DOUBLE_EQ(samplePeak(music), 0.5);
    // Drums, bass and chords at about the loudness of a mix before mastering.
    const double lufs = integratedLoudness(music) + 20 * std::log10(0.891251 / 0.5);
    EXPECT_GT(lufs, -20.0) << rate;
    EXPECT_LT(lufs, -17.0) << rate;
    // Wide: the two channels differ.
    double difference = 0;
    for (size_t i = 0; i < music.frames(); ++i)
      difference = std::fmax(difference, std::fabs(music.channels[0][i] - music.channels[1][i]));
    EXPECT_GT(difference, 0.05);
    // Four bars of two seconds, then the same again, sample for sample.
    const size_t loop = static_cast<size_t>(rate) * 8;
    for (size_t i = 0; i < music.frames() - loop; i += 97)
      ASSERT_EQ(music.channels[1][i], music.channels[1][i + loop]);
  }
}

}  // namespace
