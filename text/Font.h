// Text from pre-rasterised glyph atlases: the printable ASCII characters of a TrueType font
// rendered at three times the horizontal resolution, filtered and packed into one texture.
#pragma once

#include "dxblit/Context.h"
#include "dxblit/Device.h"
#include "dxblit/Texture.h"
#include "text/GlyphAtlas.h"

namespace Mintwerk {

struct Font {
  Glyph glyphs[96];  // character codes 32..127
  unsigned columns;
  float underlineOffset;     // pixels below the baseline
  float underlineThickness;  // pixels, at least 1
  float scale;               // pixels per unit of the positions text is drawn at
  DXBlit::Device* device;
  DXBlit::StaticTexture* atlas;
};

// The font resource `name` (type "TTF") at the given size; null on any failure. At a `scale`
// other than 1 the glyphs are rendered at that many pixels per unit, for a scene drawn at that
// scale (text stays sharp rather than stretched), and positions and advances stay in units.
Font* createFont(DXBlit::Context& context, const char* name, float pointSize, float scale = 1.0f);
// Releases the atlas (before its device goes) and frees the font. Null is fine.
void destroyFont(Font* font);

// Draws `length` bytes of text (-1: up to the terminating zero) from pen position x on baseline
// y; returns the horizontal advance in units (pixels at scale 1). A null font draws nothing and
// returns 0.
float drawText(Font* font, DXBlit::Context& context, const char* text, int length, float x, float y,
               uint32_t colour, bool underline);
float measureText(const Font* font, const char* text, int length);

}  // namespace Mintwerk
