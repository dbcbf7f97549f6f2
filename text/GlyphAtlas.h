// The printable ASCII characters of a TrueType font from the module, rendered at three times the
// horizontal resolution and filtered: the texels a font's texture is made from, and what software
// drawing (menus and boxes where the system has none) reads directly.
#pragma once

#include <cstdint>
#include <vector>

namespace Mintwerk {

struct Glyph {
  float cellX, cellY;        // the glyph's cell in the atlas, plus 1
  float width;               // bitmap width + 6, in atlas texels (thirds of a pixel)
  float height;              // bitmap rows + 2, in pixels
  float advanceX, advanceY;  // thirds of a pixel, pixels; not rounded
  float left;                // bitmap left bearing, thirds of a pixel
  float top;                 // bitmap top bearing, pixels up from the baseline
};

struct GlyphAtlas {
  Glyph glyphs[96];  // character codes 32..127
  unsigned columns = 0;
  float underlineOffset = 0;     // pixels below the baseline
  float underlineThickness = 1;  // pixels, at least 1
  unsigned width = 0, height = 0;
  std::vector<uint32_t> texels;  // width x height words, coverage in all four bytes
};

// Renders the font resource `name` (type "TTF") at the given size; false on any failure.
bool renderGlyphAtlas(const char* name, float pointSize, GlyphAtlas& atlas);

}  // namespace Mintwerk
