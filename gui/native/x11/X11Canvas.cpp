#include "gui/native/x11/X11Canvas.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Mintwerk {

namespace {

// Where a mask's lowest set bit is and how wide the mask is.
void maskShape(unsigned long mask, int& shift, int& bits) {
  shift = 0;
  bits = 0;
  if (!mask) return;
  while (!(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++bits;
  }
}

unsigned long scaleChannel(unsigned value, int shift, int bits) {
  if (bits <= 0) return 0;
  const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8)
                                         : static_cast<unsigned long>(value) >> (8 - bits);
  return scaled << shift;
}

}  // namespace

X11Canvas::X11Canvas(int width, int height, uint32_t background)
    : w(std::max(width, 1)),
      h(std::max(height, 1)),
      pixels(static_cast<std::size_t>(w) * h, background & 0xFFFFFF) {}

void X11Canvas::fill(int x, int y, int width, int height, uint32_t colour) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, w), y1 = std::min(y + height, h);
  for (int j = y0; j < y1; ++j)
    for (int i = x0; i < x1; ++i) pixels[static_cast<std::size_t>(j) * w + i] = colour & 0xFFFFFF;
}

void X11Canvas::outline(int x, int y, int width, int height, uint32_t colour) {
  if (width <= 0 || height <= 0) return;
  fill(x, y, width, 1, colour);
  fill(x, y + height - 1, width, 1, colour);
  fill(x, y, 1, height, colour);
  fill(x + width - 1, y, 1, height, colour);
}

void X11Canvas::blend(int x, int y, uint32_t colour, float coverage) {
  if (x < 0 || y < 0 || x >= w || y >= h || coverage <= 0.0f) return;
  if (coverage > 1.0f) coverage = 1.0f;
  uint32_t& dst = pixels[static_cast<std::size_t>(y) * w + x];
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const float d = static_cast<float>((dst >> shift) & 0xFF);
    const float s = static_cast<float>((colour >> shift) & 0xFF);
    const unsigned v = static_cast<unsigned>(d + (s - d) * coverage + 0.5f);
    out |= std::min(v, 255u) << shift;
  }
  dst = out;
}

void X11Canvas::fillCircle(float cx, float cy, float radius, uint32_t colour) {
  const int x0 = static_cast<int>(std::floor(cx - radius - 1));
  const int x1 = static_cast<int>(std::ceil(cx + radius + 1));
  const int y0 = static_cast<int>(std::floor(cy - radius - 1));
  const int y1 = static_cast<int>(std::ceil(cy + radius + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      // Coverage from the distance of the pixel's centre to the edge: a one-pixel ramp.
      const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
      blend(x, y, colour, radius + 0.5f - std::sqrt(dx * dx + dy * dy));
    }
}

float X11Canvas::measureText(const GlyphAtlas& font, const std::u32string& text) {
  float advance = 0.0f;
  for (char32_t c : text)
    if (const Glyph* g = font.find(c)) advance += g->advanceX / 3.0f;
  return advance;
}

float X11Canvas::drawText(const GlyphAtlas& font, const std::u32string& text, float x, float y,
                          uint32_t colour, int underline) {
  float penX = 0.0f;
  for (std::size_t n = 0; n < text.size(); ++n) {
    const Glyph* found = font.find(text[n]);
    if (!found) continue;
    const Glyph& g = *found;
    // The same rectangle the GL text takes: thirds of a pixel across, whole rows down.
    const float x0 = x + penX + g.left / 3.0f - 1.0f;
    const int top = static_cast<int>(std::floor(y - g.top - 1.0f));
    const int texWidth = static_cast<int>(g.width), rows = static_cast<int>(g.height);
    const int s0 = static_cast<int>(g.cellX) + 1, t0 = static_cast<int>(g.cellY);
    const int first = static_cast<int>(std::floor(x0));
    const int last = static_cast<int>(std::ceil(x0 + g.width / 3.0f));
    for (int row = 0; row < rows; ++row) {
      const int t = t0 + row;
      if (t < 0 || t >= static_cast<int>(font.height)) continue;
      const uint32_t* line = &font.texels[static_cast<std::size_t>(t) * font.width];
      for (int px = first; px < last; ++px) {
        // The pixel covers three texels, starting where its left edge falls in the glyph.
        const float a = (static_cast<float>(px) - x0) * 3.0f, b = a + 3.0f;
        float sum = 0.0f;
        for (int i = std::max(0, static_cast<int>(std::floor(a)));
             i < std::min(texWidth, static_cast<int>(std::ceil(b))); ++i) {
          const int s = s0 + i;
          if (s < 0 || s >= static_cast<int>(font.width)) continue;
          const float overlap =
              std::min(b, static_cast<float>(i + 1)) - std::max(a, static_cast<float>(i));
          if (overlap > 0.0f) sum += overlap * static_cast<float>(line[s] & 0xFF);
        }
        blend(px, top + row, colour, sum / (3.0f * 255.0f));
      }
    }
    if (static_cast<int>(n) == underline) {
      const int uy = static_cast<int>(std::floor(y + font.underlineOffset));
      const int thickness = std::max(1, static_cast<int>(std::lround(font.underlineThickness)));
      const int ux0 = static_cast<int>(std::lround(x + penX));
      const int ux1 = static_cast<int>(std::lround(x + penX + g.advanceX / 3.0f));
      fill(ux0, uy, ux1 - ux0, thickness, colour);
    }
    penX += g.advanceX / 3.0f;
  }
  return penX;
}

void X11Canvas::put(Display* display, Drawable target, Visual* visual, int depth) const {
  // Xlib frees the image data with free(), so it comes from malloc.
  char* data = static_cast<char*>(std::malloc(static_cast<std::size_t>(w) * h * 4));
  if (!data) return;
  XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, data,
                               static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (!image) {
    std::free(data);
    return;
  }
  const bool trueColour = visual->red_mask && visual->green_mask && visual->blue_mask;
  int rs, rb, gs, gb, bs, bb;
  maskShape(visual->red_mask, rs, rb);
  maskShape(visual->green_mask, gs, gb);
  maskShape(visual->blue_mask, bs, bb);
  const int screen = DefaultScreen(display);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t p = pixels[static_cast<std::size_t>(y) * w + x];
      const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      unsigned long value;
      if (trueColour)
        value = scaleChannel(r, rs, rb) | scaleChannel(g, gs, gb) | scaleChannel(b, bs, bb);
      else  // a palette display: black and white are all we can count on
        value =
            r * 3 + g * 6 + b > 1275 ? WhitePixel(display, screen) : BlackPixel(display, screen);
      XPutPixel(image, x, y, value);
    }
  GC gc = XCreateGC(display, target, 0, nullptr);
  XPutImage(display, target, gc, image, 0, 0, 0, 0, static_cast<unsigned>(w),
            static_cast<unsigned>(h));
  XFreeGC(display, gc);
  XDestroyImage(image);
}

}  // namespace Mintwerk
