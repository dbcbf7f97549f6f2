#include "text/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "dxblit/Shader.h"
#include "platform/ModuleResources.h"
#include "text/TextMode.h"

namespace Mintwerk {

namespace {

constexpr unsigned kDotsPerInch = 96;
constexpr unsigned kMaxAtlasSide = 16384;

// FreeType's library and face, ended in reverse order whatever happens.
struct FreeTypeSession {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~FreeTypeSession() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

// A 1-2-4-2-1 low-pass across thirds of a pixel; each row comes out 4 texels wider.
void filterRow(const unsigned char* coverage, int width, uint32_t* out) {
  auto at = [&](int k) { return k >= 0 && k < width ? coverage[k] : 0; };
  for (int k = 0; k < width + 4; ++k) {
    const unsigned value =
        (at(k) + 2u * at(k - 1) + 4u * at(k - 2) + 2u * at(k - 3) + at(k - 4)) / 10u;
    out[k] = value * 0x01010101u;
  }
}

int textLength(const char* text, int length) {
  if (!text) return 0;
  return length == -1 ? static_cast<int>(std::strlen(text)) : (length < 0 ? 0 : length);
}

bool drawable(char c) {
  return static_cast<signed char>(c) >= 32;
}  // 32..127; 128..255 are negative

}  // namespace

Font* createFont(DXBlit::Context& context, const char* name, float pointSize) {
  Platform::ResourceBytes resource;
  if (!name || !Platform::findModuleResource("TTF", name, resource)) return nullptr;
  try {
    // Whatever fails from here on, the font goes with its atlas, if it has one yet.
    std::unique_ptr<Font, void (*)(Font*)> font(new Font(), destroyFont);
    font->device = &context.getDevice();

    FreeTypeSession ft;
    if (FT_Init_FreeType(&ft.library) ||
        FT_New_Memory_Face(ft.library, resource.data, static_cast<FT_Long>(resource.size), 0,
                           &ft.face))
      return nullptr;
    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(pointSize * 64.0f);
    if (FT_Set_Char_Size(ft.face, size, size, 48 * kDotsPerInch, kDotsPerInch)) return nullptr;
    // A 48-times-wide outline, hinted, then drawn at 1/16: three texels per pixel across.
    FT_Matrix matrix = {0x1000, 0, 0, 0x10000};
    FT_Set_Transform(ft.face, &matrix, nullptr);

    const FT_Long yScale = ft.face->size->metrics.y_scale;
    float offset = -static_cast<float>(static_cast<int32_t>(ft.face->underline_position * yScale)) /
                   4194304.0f;
    float thickness =
        static_cast<float>(static_cast<int32_t>(ft.face->underline_thickness * yScale)) /
        4194304.0f;
    if (thickness < 1.0f) {
      offset -= 1.0f - thickness;
      thickness = 1.0f;
    }
    font->underlineOffset = offset;
    font->underlineThickness = thickness;

    const int cellW = static_cast<int>((ft.face->bbox.xMax - ft.face->bbox.xMin) / 64 + 6);
    const int cellH = static_cast<int>((ft.face->bbox.yMax - ft.face->bbox.yMin) / 64 + 2);
    if (cellW <= 6 || cellH <= 2) return nullptr;

    unsigned trial = 64, columns = 0, atlasHeight = 0;
    for (;; trial *= 2) {
      if (trial > kMaxAtlasSide) return nullptr;
      columns = (trial - 2) / static_cast<unsigned>(cellW);
      if (columns == 0) continue;
      atlasHeight = ((columns + 95) / columns) * static_cast<unsigned>(cellH) + 2;
      if (atlasHeight <= 2 * trial) break;
    }
    const unsigned atlasWidth = columns * static_cast<unsigned>(cellW);
    font->columns = columns;
    std::vector<uint32_t> atlas(static_cast<std::size_t>(atlasWidth) * atlasHeight, 0);

    for (unsigned i = 0; i < 96; ++i) {
      Glyph& g = font->glyphs[i];
      const unsigned cellX = (i % columns) * static_cast<unsigned>(cellW) + 1;
      const unsigned cellY = (i / columns) * static_cast<unsigned>(cellH) + 1;
      g.cellX = static_cast<float>(cellX);
      g.cellY = static_cast<float>(cellY);
      const FT_UInt index = FT_Get_Char_Index(ft.face, i + 32);
      if (FT_Load_Glyph(ft.face, index, FT_LOAD_FORCE_AUTOHINT) ||
          FT_Render_Glyph(ft.face->glyph, FT_RENDER_MODE_NORMAL))
        return nullptr;
      const FT_GlyphSlot slot = ft.face->glyph;
      const FT_Bitmap& bitmap = slot->bitmap;
      const int width = static_cast<int>(bitmap.width), rows = static_cast<int>(bitmap.rows);
      // A glyph larger than its cell would spill into its neighbours: such a font is refused.
      if (width > cellW - 6 || rows > cellH - 2) return nullptr;
      g.width = static_cast<float>(width + 6);
      g.height = static_cast<float>(rows + 2);
      // The advance is 26.6 fixed point and is taken exactly, fraction and all: the hinter's
      // whole-pixel advance in the 48-times-wide outline comes out of the 1/16 transform in
      // sixteenths of a third, and dropping them would set every glyph up to a third of a pixel
      // too close to the next.
      g.advanceX = static_cast<float>(slot->advance.x) / 64.0f;
      g.advanceY = static_cast<float>(slot->advance.y) / 64.0f;
      g.left = static_cast<float>(slot->bitmap_left);
      g.top = static_cast<float>(slot->bitmap_top);
      for (int j = 0; j < rows && width > 0; ++j) {
        const unsigned char* row = bitmap.pitch >= 0
                                       ? bitmap.buffer + j * bitmap.pitch
                                       : bitmap.buffer + (rows - 1 - j) * -bitmap.pitch;
        filterRow(row, width,
                  &atlas[(cellY + 1 + static_cast<unsigned>(j)) * atlasWidth + cellX + 1]);
      }
    }

    font->atlas = DXBlit::createFilledTexture(*font->device, atlas.data(), atlasWidth, atlasHeight);
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
  return advance;
}

float drawText(Font* font, DXBlit::Context& context, const char* text, int length, float x, float y,
               uint32_t colour, bool underline) {
  if (!font) return 0.0f;
  const int n = textLength(text, length);
  const TextMode mode = currentTextMode();
  const int copies = mode.subpixelText ? 3 : 1;
  const float shift = mode.subpixelRGB ? 0.25f : -0.25f;
  std::vector<DXBlit::Quad> quads;
  quads.reserve(static_cast<std::size_t>(n) * copies);
  float penX = 0.0f, penY = 0.0f;
  for (int i = 0; i < n; ++i) {
    if (!drawable(text[i])) continue;
    const Glyph& g = font->glyphs[text[i] - 32];
    DXBlit::Quad q{};
    q.x0 = x + penX + g.left / 3.0f - 1.0f;
    q.x1 = q.x0 + g.width / 3.0f;
    q.y0 = std::floor(y + penY - g.top - 1.0f);
    q.y1 = q.y0 + g.height;
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
    const DXBlit::Quad q = DXBlit::makeBlitQuad(x, y + font->underlineOffset, penX,
                                                font->underlineThickness, 0, 0, colour);
    context.drawQuads(&q, 1);
  }
  return penX;
}

}  // namespace Mintwerk
