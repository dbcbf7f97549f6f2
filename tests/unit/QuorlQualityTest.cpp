// The two processing qualities: Normal's output stays what it always was, High keeps aliasing
// out of the band and sounds as Normal otherwise, and switching between them runs smoothly.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "QuorlQualityCases.h"
#include "QuorlSpectrum.h"

namespace {

// Both channels of a render, left then right.
std::vector<double> renderBoth(QuorlTestRig& rig, int frames,
                               const std::function<double(int, int)>& input) {
  std::vector<double> right;
  std::vector<double> both = rig.render(frames, input, &right);
  both.insert(both.end(), right.begin(), right.end());
  return both;
}

uint64_t normalToneChecksum(const DrivenTone& tone) {
  QuorlTestRig rig(tone.rate);
  setUpTone(rig, tone);
  return checksum(renderBoth(rig, 8192, toneInput(tone)));
}

// Every continuous parameter moving every block, through glides of all lengths.
uint64_t normalMovingChecksum() {
  QuorlTestRig rig(44100.0f, 256);
  rig.resume();
  std::vector<double> all;
  for (int block = 0; block < 48; ++block) {
    for (int p = 0; p < 7; ++p)
      rig.set(p, static_cast<float>(0.5 + 0.45 * std::sin(0.37 * block + 1.3 * p)));
    const std::vector<double> part = renderBoth(rig, 200 + 37 * (block % 5), [](int i, int c) {
      return 0.8 * std::sin(0.061 * i + c) + 0.3 * std::sin(0.83 * i);
    });
    all.insert(all.end(), part.begin(), part.end());
  }
  return checksum(all);
}

TEST(QuorlQuality, NormalSoundsBitForBitAsBefore) {
  // Taken from the effect before High existed.
  const uint64_t expected[16] = {
      0x0202c13170cf6362u, 0xf94a6947f90cca84u, 0x31b8ee4b5a516787u, 0x6371dab51af502c5u,
      0xeaeff79d00cb5cbcu, 0xf1f9c6e02c677aefu, 0x3ce49ea50e76834eu, 0x71ef0f82388ff914u,
      0xe42d61ef12d5c93du, 0xdad6b8b5882aa897u, 0xbe20a353a497b741u, 0x4b365c4cfd2561dbu,
      0x126870041e241a04u, 0x9c1f97dce33d3e3du, 0x32b52bdd1cb6e2b7u, 0x764fb242eee41649u,
  };
  const uint64_t expectedMoving = 0x4dc9204d207e2ed8u;
  for (int i = 0; i < 16; ++i) {
    const uint64_t sum = normalToneChecksum(kDrivenTones[i]);
    EXPECT_EQ(sum, expected[i]) << "case " << i;
  }
  const uint64_t moving = normalMovingChecksum();
  EXPECT_EQ(moving, expectedMoving);
}

}  // namespace

namespace {

// The driven tone after its glides and the high-pass's start have passed.
Spectrum toneSpectrum(const DrivenTone& tone, bool high) {
  QuorlTestRig rig(tone.rate);
  rig.effect.useHighQuality(high);
  setUpTone(rig, tone);
  const int settle = static_cast<int>(tone.rate / 2);
  const std::vector<double> out =
      rig.render(settle + static_cast<int>(tone.rate / 10), toneInput(tone));
  return Spectrum(out, static_cast<size_t>(settle), tone.rate);
}

TEST(QuorlQuality, HighKeepsEveryAliasOfADrivenToneBelowMinus90dB) {
  std::printf("rate   tone  drive cutoff   Normal dBc (at Hz)   High dBc (at Hz)\n");
  for (const DrivenTone& tone : kDrivenTones) {
    double normalAt = 0, highAt = 0;
    const double normal = toneSpectrum(tone, false).strongestInharmonic(tone.hertz, &normalAt);
    const double high = toneSpectrum(tone, true).strongestInharmonic(tone.hertz, &highAt);
    std::printf("%5.0f %5.0f  +%2.0f dB %-8s %7.1f (%5.0f)      %7.1f (%5.0f)\n", tone.rate,
                tone.hertz, tone.driveDb, tone.cutoffAtTone ? "at tone" : "open", normal, normalAt,
                high, highAt);
    EXPECT_LE(high, -90.0) << tone.rate << " Hz, " << tone.hertz << " Hz tone, +" << tone.driveDb
                           << " dB, cutoff " << (tone.cutoffAtTone ? "at the tone" : "open");
  }
}

}  // namespace
