// The driven sines the alias measurements and the Normal checksums share: a full-scale tone,
// resonance 50 %, output 0 dB, the cutoff wide open or at the tone.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "QuorlTestRig.h"

struct DrivenTone {
  float rate;
  double hertz;
  double driveDb;
  bool cutoffAtTone;
};

inline const DrivenTone kDrivenTones[] = {
    {44100.0f, 5000.0, 12.0, false}, {44100.0f, 5000.0, 20.0, false},
    {44100.0f, 9000.0, 12.0, false}, {44100.0f, 9000.0, 20.0, false},
    {44100.0f, 5000.0, 12.0, true},  {44100.0f, 5000.0, 20.0, true},
    {44100.0f, 9000.0, 12.0, true},  {44100.0f, 9000.0, 20.0, true},
    {48000.0f, 5000.0, 12.0, false}, {48000.0f, 5000.0, 20.0, false},
    {48000.0f, 9000.0, 12.0, false}, {48000.0f, 9000.0, 20.0, false},
    {48000.0f, 5000.0, 12.0, true},  {48000.0f, 5000.0, 20.0, true},
    {48000.0f, 9000.0, 12.0, true},  {48000.0f, 9000.0, 20.0, true},
};

inline float driveParameter(double dB) { return static_cast<float>((dB + 20.0) / 40.0); }
inline float cutoffParameter(double hertz) {
  return static_cast<float>(std::log(hertz / 20.0) / std::log(1300.0));
}

// Sets the tone's parameters on a rig that has not resumed yet.
inline void setUpTone(QuorlTestRig& rig, const DrivenTone& tone) {
  rig.set(0, driveParameter(tone.driveDb));
  rig.set(1, tone.cutoffAtTone ? cutoffParameter(tone.hertz) : 1.0f);
  rig.set(2, 0.5f);
  rig.set(6, 0.5f);
  rig.resume();
}

inline auto toneInput(const DrivenTone& tone) {
  const double step = 6.283185307179586 * tone.hertz / tone.rate;
  return [step](int i, int) { return std::sin(step * i); };
}

// FNV-1a over the bytes of the samples: any changed bit changes it.
inline uint64_t checksum(const std::vector<double>& samples,
                         uint64_t hash = 14695981039346656037u) {
  for (double sample : samples) {
    unsigned char bytes[sizeof sample];
    std::memcpy(bytes, &sample, sizeof sample);
    for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211u;
  }
  return hash;
}
