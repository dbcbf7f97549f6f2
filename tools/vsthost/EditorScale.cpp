#include "EditorScale.h"

#include <cstdlib>

namespace editorscale {

Picture shrink(const Picture& big, int factor) {
  Picture small;
  if (factor < 1) return small;
  small.width = big.width / factor;
  small.height = big.height / factor;
  small.rgb.resize(static_cast<size_t>(small.width) * small.height * 3);
  const int area = factor * factor;
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy)
          for (int dx = 0; dx < factor; ++dx)
            sum +=
                big.rgb[(static_cast<size_t>(y * factor + dy) * big.width + x * factor + dx) * 3 +
                        c];
        small.rgb[(static_cast<size_t>(y) * small.width + x) * 3 + c] =
            static_cast<uint8_t>((sum + area / 2) / area);
      }
    }
  }
  return small;
}

double meanDifference(const Picture& a, const Picture& b) {
  if (a.rgb.empty() || a.rgb.size() != b.rgb.size()) return 255;
  uint64_t sum = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
  return static_cast<double>(sum) / a.rgb.size();
}

std::string sizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace editorscale
