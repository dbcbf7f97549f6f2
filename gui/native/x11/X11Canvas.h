// Software drawing for the windows we draw without GL (menus, message boxes): an opaque RGB
// buffer with rectangles, round shapes and text from the module's glyph atlas, put into an X
// window in one request.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/GlyphAtlas.h"

namespace Mintwerk {

class X11Canvas {
 public:
  X11Canvas(int width, int height, uint32_t background);

  int width() const { return w; }
  int height() const { return h; }
  uint32_t pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * w + x]; }

  // Colours are 0xRRGGBB (the alpha byte is ignored); everything is clipped to the canvas.
  void fill(int x, int y, int width, int height, uint32_t colour);
  void outline(int x, int y, int width, int height, uint32_t colour);
  void fillCircle(float cx, float cy, float radius, uint32_t colour);

  // Text drawn as the editor draws grey text: pen position x, baseline y; characters the atlas
  // has no glyph for (controls, any not asked for) are skipped, here and in the measure alike.
  // The character at `underline` (an index into `text`, -1 for none) is underlined. Returns the
  // advance in pixels.
  float drawText(const GlyphAtlas& font, const std::u32string& text, float x, float y,
                 uint32_t colour, int underline = -1);
  static float measureText(const GlyphAtlas& font, const std::u32string& text);

  // Writes the whole canvas into the window at (0, 0). Converts to the visual's pixel layout.
  void put(Display* display, Drawable target, Visual* visual, int depth) const;

 private:
  void blend(int x, int y, uint32_t colour, float coverage);

  int w, h;
  std::vector<uint32_t> pixels;
};

}  // namespace Mintwerk
