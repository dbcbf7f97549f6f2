// A floating-point RGBA picture with premultiplied colour, and the few ways we paint into it.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Artwork {

// Premultiplied: r, g, b never exceed a; all channels 0..1.
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

// An opaque colour from 0xRRGGBB, then made `alpha` opaque.
Rgba colour(uint32_t hex, double alpha = 1.0);
Rgba grey(double level, double alpha = 1.0);  // level 0..255
Rgba withOpacity(Rgba c, double opacity);
Rgba over(Rgba src, Rgba dst);
Rgba lerp(Rgba a, Rgba b, double t);

// Pixels are addressed as such; painting takes places in layout units, `density` pixels each, so
// that one drawing serves every density.
class Canvas {
 public:
  Canvas(int width, int height, double density = 1.0);

  int width() const { return width_; }
  int height() const { return height_; }
  double density() const { return density_; }
  const Rgba& at(int x, int y) const { return pixels_[index(x, y)]; }
  void blend(int x, int y, Rgba src);

  // Composites a layer over the units [x0, x1) x [y0, y1), clipped to the canvas. The layer is
  // `shader(x, y)` in units, premultiplied, sampled 4 x 4 per pixel for anti-aliasing; pixel (i, j)
  // covers [i, i+1) x [j, j+1) / density, so at 1x its centre is (i + 0.5, j + 0.5). Samples
  // outside the area count as clear, so that it clips alike where its edges fall inside a pixel
  // (at 1.5x). Dividing by a density of 1 is exact, so the 1x images owe nothing to the others.
  template <class Shader>
  void paint(double x0, double y0, double x1, double y1, Shader shader) {
    constexpr int kGrid = 4;
    const int px0 = clampX(std::floor(x0 * density_)), px1 = clampX(std::ceil(x1 * density_));
    const int py0 = clampY(std::floor(y0 * density_)), py1 = clampY(std::ceil(y1 * density_));
    for (int y = py0; y < py1; ++y) {
      for (int x = px0; x < px1; ++x) {
        Rgba sum;
        for (int j = 0; j < kGrid; ++j) {
          const double sy = (y + (j + 0.5) / kGrid) / density_;
          if (sy < y0 || sy >= y1) continue;
          for (int i = 0; i < kGrid; ++i) {
            const double sx = (x + (i + 0.5) / kGrid) / density_;
            if (sx < x0 || sx >= x1) continue;
            const Rgba s = shader(sx, sy);
            sum.r += s.r;
            sum.g += s.g;
            sum.b += s.b;
            sum.a += s.a;
          }
        }
        blend(x, y, withOpacity(sum, 1.0 / (kGrid * kGrid)));
      }
    }
  }

  // Composites `source`'s rectangle (sx, sy, w, h) over this canvas at (dx, dy).
  void draw(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy);
  // Copies `source`'s rectangle (sx, sy, w, h) to (dx, dy), replacing what was there.
  void copy(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy);
  Canvas scaledUp(int factor) const;  // nearest neighbour, to look at single pixels
  Canvas turnedLeft() const;          // a quarter turn anticlockwise

  // 8-bit RGBA rows, premultiplied as stored; rounding keeps every channel at most alpha.
  std::vector<uint8_t> toRgba8() const;

 private:
  size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  int clampX(double x) const { return x < 0 ? 0 : (x > width_ ? width_ : static_cast<int>(x)); }
  int clampY(double y) const { return y < 0 ? 0 : (y > height_ ? height_ : static_cast<int>(y)); }

  int width_;
  int height_;
  double density_;
  std::vector<Rgba> pixels_;
};

}  // namespace Artwork
