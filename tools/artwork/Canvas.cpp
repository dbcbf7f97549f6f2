#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace Artwork {

Rgba colour(uint32_t hex, double alpha) {
  const double r = ((hex >> 16) & 0xFF) / 255.0;
  const double g = ((hex >> 8) & 0xFF) / 255.0;
  const double b = (hex & 0xFF) / 255.0;
  return {r * alpha, g * alpha, b * alpha, alpha};
}

Rgba grey(double level, double alpha) {
  const double v = std::clamp(level, 0.0, 255.0) / 255.0 * alpha;
  return {v, v, v, alpha};
}

Rgba withOpacity(Rgba c, double opacity) {
  return {c.r * opacity, c.g * opacity, c.b * opacity, c.a * opacity};
}

Rgba over(Rgba src, Rgba dst) {
  const double k = 1.0 - src.a;
  return {src.r + dst.r * k, src.g + dst.g * k, src.b + dst.b * k, src.a + dst.a * k};
}

Rgba lerp(Rgba a, Rgba b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Canvas::Canvas(int width, int height, double density)
    : width_(width),
      height_(height),
      density_(density),
      pixels_(static_cast<size_t>(width) * height) {}

void Canvas::blend(int x, int y, Rgba src) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgba& dst = pixels_[index(x, y)];
  dst = over(src, dst);
}

void Canvas::draw(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) blend(dx + x, dy + y, source.at(sx + x, sy + y));
}

void Canvas::copy(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (dx + x < 0 || dy + y < 0 || dx + x >= width_ || dy + y >= height_) continue;
      pixels_[index(dx + x, dy + y)] = source.at(sx + x, sy + y);
    }
  }
}

Canvas Canvas::scaledUp(int factor) const {
  Canvas big(width_ * factor, height_ * factor, density_ * factor);
  for (int y = 0; y < big.height_; ++y)
    for (int x = 0; x < big.width_; ++x) big.pixels_[big.index(x, y)] = at(x / factor, y / factor);
  return big;
}

Canvas Canvas::turnedLeft() const {
  Canvas turned(height_, width_, density_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) turned.pixels_[turned.index(y, width_ - 1 - x)] = at(x, y);
  return turned;
}

std::vector<uint8_t> Canvas::toRgba8() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 4);
  auto quantise = [](double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
  };
  for (const Rgba& p : pixels_) {
    const uint8_t a = quantise(p.a);
    bytes.push_back(std::min(quantise(p.r), a));
    bytes.push_back(std::min(quantise(p.g), a));
    bytes.push_back(std::min(quantise(p.b), a));
    bytes.push_back(a);
  }
  return bytes;
}

}  // namespace Artwork
