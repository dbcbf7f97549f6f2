#include "text/Font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "dxblit/Shader.h"
#include "text/TextMode.h"

namespace Mintwerk {

namespace {

int textLength(const char* text, int length) {
  if (!text) return 0;
  return length == -1 ? static_cast<int>(std::strlen(text)) : (length < 0 ? 0 : length);
}

bool drawable(char c) {
  return static_cast<signed char>(c) >= 32;
}  // 32..127; 128..255 are negative

}  // namespace

Font* createFont(DXBlit::Context& context, const char* name, float pointSize, float scale) {
  try {
    if (!(scale > 0.0f)) return nullptr;
    GlyphAtlas rendered;
    if (!renderGlyphAtlas(name, pointSize * scale, rendered)) return nullptr;
    // Whatever fails from here on, the font goes with its atlas, if it has one yet.
    std::unique_ptr<Font, void (*)(Font*)> font(new Font(), destroyFont);
    font->device = &context.getDevice();
    std::copy(std::begin(rendered.glyphs), std::end(rendered.glyphs), font->glyphs);
    font->columns = rendered.columns;
    font->underlineOffset = rendered.underlineOffset;
    font->underlineThickness = rendered.underlineThickness;
    font->scale = scale;
    font->atlas = DXBlit::createFilledTexture(*font->device, rendered.texels.data(), rendered.width,
                                              rendered.height);
    currentTextMode() = decideTextMode(Platform::queryTextSmoothing());
    return font.release();
  } catch (...) {
    return nullptr;
  }
}

void destroyFont(Font* font) {
  if (!font) return;
  if (font->atlas) font->atlas->release();
  delete font;
}

float measureText(const Font* font, const char* text, int length) {
  if (!font) return 0.0f;
  const int n = textLength(text, length);
  float advance = 0.0f;
  for (int i = 0; i < n; ++i)
    if (drawable(text[i])) advance += font->glyphs[text[i] - 32].advanceX / 3.0f;
  return advance / font->scale;
}

float drawText(Font* font, DXBlit::Context& context, const char* text, int length, float x, float y,
               uint32_t colour, bool underline) {
  if (!font) return 0.0f;
  const int n = textLength(text, length);
  const TextMode mode = currentTextMode();
  const int copies = mode.subpixelText ? 3 : 1;
  // Glyphs are placed in pixels, from the pen's position in pixels, and their quads then given
  // in units: at scale 1 both are the same numbers.
  const float s = font->scale;
  const float px = x * s, py = y * s;
  const float shift = (mode.subpixelRGB ? 0.25f : -0.25f) / s;
  std::vector<DXBlit::Quad> quads;
  quads.reserve(static_cast<std::size_t>(n) * copies);
  float penX = 0.0f, penY = 0.0f;
  for (int i = 0; i < n; ++i) {
    if (!drawable(text[i])) continue;
    const Glyph& g = font->glyphs[text[i] - 32];
    DXBlit::Quad q{};
    q.x0 = (px + penX + g.left / 3.0f - 1.0f) / s;
    q.x1 = q.x0 + g.width / 3.0f / s;
    q.y0 = std::floor(py + penY - g.top - 1.0f) / s;
    q.y1 = q.y0 + g.height / s;
    q.s0 = g.cellX + 1.0f;
    q.s1 = q.s0 + g.width;
    q.t0 = g.cellY;
    q.t1 = q.t0 + g.height;
    if (copies == 1) {
      q.colour = colour;
      quads.push_back(q);
    } else {
      DXBlit::Quad red = q, green = q, blue = q;
      red.colour = ((colour >> 16) & 0xFF) << 24 | 0x00FF0000;
      green.colour = ((colour >> 8) & 0xFF) << 24 | 0x0000FF00;
      blue.colour = (colour & 0xFF) << 24 | 0x000000FF;
      red.x0 += shift;
      red.x1 += shift;
      blue.x0 -= shift;
      blue.x1 -= shift;
      quads.push_back(red);
      quads.push_back(green);
      quads.push_back(blue);
    }
    penX += g.advanceX / 3.0f;
    penY += g.advanceY;
  }
  DXBlit::Shader shader(
      context, mode.subpixelText ? DXBlit::BlendSubpixel : DXBlit::BlendPremultiplied,
      mode.subpixelText ? DXBlit::CombineSubpixel : DXBlit::CombineTexture, font->atlas, nullptr);
  if (!quads.empty()) context.drawQuads(quads.data(), static_cast<unsigned>(quads.size()));
  if (underline) {
    DXBlit::Shader line(context, DXBlit::BlendPremultiplied, DXBlit::CombineColor);
    const DXBlit::Quad q = DXBlit::makeBlitQuad(x, (py + font->underlineOffset) / s, penX / s,
                                                font->underlineThickness / s, 0, 0, colour);
    context.drawQuads(&q, 1);
  }
  return penX / s;
}

}  // namespace Mintwerk
