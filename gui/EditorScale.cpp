#include "gui/EditorScale.h"

#include <cmath>
#include <initializer_list>

namespace Mintwerk {

bool isSizeChoice(int percent) {
  for (int choice : kSizeChoices)
    if (choice == percent) return true;
  return false;
}

float usableScale(float factor) {
  if (!(factor > 0.0f) || std::isinf(factor)) return 0.0f;
  return factor < kSmallestScale ? kSmallestScale
                                 : (factor > kLargestScale ? kLargestScale : factor);
}

float chooseScale(const ScaleSources& sources) {
  if (isSizeChoice(sources.userPercent)) return static_cast<float>(sources.userPercent) / 100.0f;
  if (const float host = usableScale(sources.host)) return host;
  if (const float desktop = usableScale(sources.desktop)) return desktop;
  return 1.0f;
}

int32_t scaledLength(int32_t length, float scale) {
  return static_cast<int32_t>(std::lround(length * double{scale}));
}

float artworkDensity(float scale) {
  for (float density : {1.0f, 1.5f, 2.0f})
    if (scale <= density) return density;
  return 3.0f;
}

const char* artworkSuffix(float density) {
  if (density == 1.5f) return "150";
  if (density == 2.0f) return "200";
  if (density == 3.0f) return "300";
  return "";
}

}  // namespace Mintwerk
