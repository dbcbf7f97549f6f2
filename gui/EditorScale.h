// How large the editor draws: one factor per open editor, from 1 (its own 1:1 layout) to 3, and
// where it comes from.
#pragma once

#include <cstdint>

namespace Mintwerk {

constexpr float kSmallestScale = 1.0f, kLargestScale = 3.0f;

// The sizes the user can pick, in percent of the 1:1 layout.
constexpr int kSizeChoices[] = {100, 125, 150, 200, 250, 300};
bool isSizeChoice(int percent);

// A factor as a source gave it, made usable: 0 (none) for what is not a positive finite number,
// else clamped into the range.
float usableScale(float factor);

// In this order: the user's choice, else the host's factor, else the desktop's, else 1.
struct ScaleSources {
  int userPercent = 0;  // one of the size choices; 0 follows the host
  float host = 0.0f;    // 0: the host said nothing
  float desktop = 0.0f;
};
float chooseScale(const ScaleSources& sources);

// A length of the 1:1 layout at the scale, in whole pixels.
int32_t scaledLength(int32_t length, float scale);

// The artwork drawn for the scale: the nearest density made that is not below it (the GL
// filters it down from there). Its module resources carry the percent after their names
// ("TEXTURE200"); 1 has the plain names.
float artworkDensity(float scale);
const char* artworkSuffix(float density);

}  // namespace Mintwerk
