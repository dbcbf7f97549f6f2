// The printable ASCII characters of a TrueType font from the module, rendered at three times the
// horizontal resolution and filtered: the texels a font's texture is made from, and what software
// drawing (menus and boxes where the system has none) reads directly. Software drawing asks for
// the other characters its texts hold as well; they take cells after the ASCII ones, which stay
// where they are.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
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
  Glyph glyphs[96];                              // character codes 32..127
  std::vector<std::pair<char32_t, Glyph>> more;  // the others asked for, by code point
  unsigned columns = 0;
  float underlineOffset = 0;     // pixels below the baseline
  float underlineThickness = 1;  // pixels, at least 1
  unsigned width = 0, height = 0;
  std::vector<uint32_t> texels;  // width x height words, coverage in all four bytes

  // The glyph of a code point; null for control characters and for what was not asked for.
  const Glyph* find(char32_t c) const;
};

// Renders the font resource `name` (type "TTF") at the given size; false on any failure. With
// `more`, the characters of those texts beyond ASCII are rendered too (controls are not; a
// character the font lacks gets its missing-glyph shape, as the system draws it).
bool renderGlyphAtlas(const char* name, float pointSize, GlyphAtlas& atlas,
                      const std::vector<std::u32string>& more = {});

}  // namespace Mintwerk
