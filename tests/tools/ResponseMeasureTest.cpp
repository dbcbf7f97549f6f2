// The numbers the manual's pictures are drawn from: responses, harmonic levels and -3 dB points
// measured on signals whose answers are known.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Measure.h"

using namespace Response;

namespace {
constexpr double kPi = 3.141592653589793;
}

TEST(ResponseMeasure, ResponseOfAKnownImpulseAtAnyFrequency) {
  // A first difference: |H| = 2 |sin(pi f / rate)|, off the DFT's bins as well as on them.
  const std::vector<double> difference = {1.0, -1.0};
  for (double hz : {20.0, 1000.0, 12345.6, 24000.0})
    EXPECT_NEAR(dftMagnitude(difference, hz, 48000.0), 2.0 * std::sin(kPi * hz / 48000.0), 1e-12)
        << hz;
  EXPECT_NEAR(decibels(0.5), -6.0206, 1e-4);
  EXPECT_EQ(decibels(0.0), -200.0);  // silence stays on the plot's floor
  const std::vector<double> grid = logFrequencies(20.0, 20000.0, 100);
  ASSERT_EQ(grid.size(), 301u);
  EXPECT_NEAR(grid.back(), 20000.0, 1e-9);
}

TEST(ResponseMeasure, HarmonicLevelsOfASineOverWholeCycles) {
  std::vector<double> x(48000);
  for (std::size_t n = 0; n < x.size(); ++n) {
    const double t = static_cast<double>(n) / 48000.0;
    x[n] = 0.5 * std::sin(2 * kPi * 220 * t) + 0.01 * std::sin(2 * kPi * 660 * t);
  }
  const double scale = 2.0 / static_cast<double>(x.size());
  EXPECT_NEAR(dftMagnitude(x, 220, 48000) * scale, 0.5, 1e-9);
  EXPECT_NEAR(dftMagnitude(x, 440, 48000) * scale, 0.0, 1e-9);
  EXPECT_NEAR(dftMagnitude(x, 660, 48000) * scale, 0.01, 1e-9);
}

TEST(ResponseMeasure, MinusThreeDbPointOfALowPass) {
  // A critically damped second-order low-pass at 1000 Hz is 3 dB down at 0.6436 of it.
  std::vector<double> hz = logFrequencies(20.0, 20000.0, 100), levels;
  for (double f : hz) {
    const double w = f / 1000.0;
    levels.push_back(decibels(1.0 / std::hypot(1.0 - w * w, 2.0 * w)));
  }
  EXPECT_NEAR(dropFrequency(hz, levels, 3.0), 643.6, 643.6 * 0.002);
  const std::vector<double> flat(hz.size(), 0.0);
  EXPECT_EQ(dropFrequency(hz, flat, 3.0), 0.0);  // never falls: no point
}

TEST(ResponseMeasure, CsvKeepsNamesAndLevels) {
  const std::string path = ::testing::TempDir() + "response-measure.csv";
  Table written{{"hz", "reson0.5-morph0"}, {{20.0, 1000.0}, {-0.0261, -6.5}}};
  ASSERT_TRUE(writeCsv(path, written));
  Table read;
  std::string error;
  ASSERT_TRUE(readCsv(path, read, error)) << error;
  EXPECT_EQ(read.names, written.names);
  EXPECT_EQ(read.columns[1], (std::vector<double>{-0.026, -6.5}));
  FILE* file = std::fopen(path.c_str(), "a");
  std::fputs("30.0\n", file);  // a row short of a column
  std::fclose(file);
  EXPECT_FALSE(readCsv(path, read, error));
  std::remove(path.c_str());
}

TEST(ResponseMeasure, NotchBetweenGridPointsFoundAtItsDepth) {
  // 1 - 2 cos(w0) z^-1 + z^-2 has a zero on the unit circle at w0: no grid point lands on it.
  const double rate = 48000.0, notch = 1234.5;
  const std::vector<double> x = {1.0, -2.0 * std::cos(2.0 * kPi * notch / rate), 1.0};
  const std::vector<double> grid = logFrequencies(20.0, 20000.0, 100);
  std::size_t below = 0;
  while (grid[below + 1] < notch) ++below;
  const double onGrid = decibels(dftMagnitude(x, grid[below], rate));
  const double found = extremeFrequency(x, grid[below - 1], grid[below + 1], rate);
  EXPECT_NEAR(found, notch, 0.01);
  EXPECT_LT(decibels(dftMagnitude(x, found, rate)), onGrid - 40.0);
  // A two-pole resonance's peak, likewise, half way between two grid points.
  const double middle = std::sqrt(grid[below] * grid[below + 1]);
  const double r = 0.9995, w = 2.0 * kPi * middle / rate;
  std::vector<double> ring(48000);
  ring[0] = 1.0;
  ring[1] = 2.0 * r * std::cos(w);
  for (std::size_t n = 2; n < ring.size(); ++n)
    ring[n] = 2.0 * r * std::cos(w) * ring[n - 1] - r * r * ring[n - 2];
  const double peak = extremeFrequency(ring, grid[below], grid[below + 1], rate, true);
  EXPECT_NEAR(peak, middle, 0.5);
  EXPECT_GT(dftMagnitude(ring, peak, rate), 2.0 * dftMagnitude(ring, grid[below], rate));
}

TEST(ResponseMeasure, EnvelopeIsTheRmsOfEachWholeWindow) {
  std::vector<double> x(250, 0.0);
  for (std::size_t n = 100; n < 200; ++n) x[n] = n % 2 ? 0.5 : -0.5;
  const std::vector<double> levels = windowLevels(x, 100);
  ASSERT_EQ(levels.size(), 2u);  // the 50 samples of a partial window are left out
  EXPECT_EQ(levels[0], -200.0);
  EXPECT_NEAR(levels[1], -6.0206, 1e-4);
}
