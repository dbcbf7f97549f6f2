// The host's side of scaled editors: the notification that tells a plug-in the factor its editor
// is shown at, and how pictures of an editor taken at two factors compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugcore/VstAbi.h"

namespace editorscale {

// effVendorSpecific with these in index and value, and the factor in opt; a plug-in that takes it
// answers 1.
constexpr VstInt32 kIndex = kVendorScaleIndex;
constexpr VstIntPtr kValue = kVendorScaleValue;
constexpr double kMin = 1;
constexpr double kMax = 3;

// Through anything with a host's dispatch (the tool's effect, the validator's instance).
template <typename Target>
VstIntPtr notify(const Target& target, double factor) {
  return target.dispatch(effVendorSpecific, kIndex, kValue, nullptr, static_cast<float>(factor));
}

// One side of an editor's size at `factor`, rounded to the nearest pixel.
inline int scaled(int size, double factor) { return static_cast<int>(size * factor + 0.5); }

// An RGB picture, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Each `factor` x `factor` block of `big` as one pixel, their mean (a box filter); the rows and
// columns past the last whole block are left out.
Picture shrink(const Picture& big, int factor);

// The mean absolute difference of two pictures of one size, per channel, in levels (0 to 255).
double meanDifference(const Picture& a, const Picture& b);

// "340x190"
std::string sizeText(int width, int height);

}  // namespace editorscale
