// A floating-point RGBA picture with premultiplied colour, and the few ways we paint into it.
#pragma once

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

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const Rgba& at(int x, int y) const { return pixels_[index(x, y)]; }
  void blend(int x, int y, Rgba src);

  // Composites a layer over the pixels [x0, x1) x [y0, y1) (clipped to the canvas). The layer is
  // `shader(x, y)`, premultiplied, sampled 4 x 4 per pixel for anti-aliasing; pixel (i, j) covers
  // [i, i+1) x [j, j+1), so its centre is (i + 0.5, j + 0.5).
  template <class Shader>
  void paint(int x0, int y0, int x1, int y1, Shader shader) {
    constexpr int kGrid = 4;
    for (int y = clampY(y0); y < clampY(y1); ++y) {
      for (int x = clampX(x0); x < clampX(x1); ++x) {
        Rgba sum;
        for (int j = 0; j < kGrid; ++j) {
          for (int i = 0; i < kGrid; ++i) {
            const Rgba s = shader(x + (i + 0.5) / kGrid, y + (j + 0.5) / kGrid);
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
  int clampX(int x) const { return x < 0 ? 0 : (x > width_ ? width_ : x); }
  int clampY(int y) const { return y < 0 ? 0 : (y > height_ ? height_ : y); }

  int width_;
  int height_;
  std::vector<Rgba> pixels_;
};

}  // namespace Artwork
