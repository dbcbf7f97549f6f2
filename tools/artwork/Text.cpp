#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>

namespace Artwork {

const char* const kRegularFontPath = "/usr/share/fonts/truetype/ttf-bitstream-vera/Vera.ttf";
const char* const kBoldFontPath = "/usr/share/fonts/truetype/ttf-bitstream-vera/VeraBd.ttf";

struct Font::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

namespace {

// The font's own hinting keeps small captions crisp on the pixel grid.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL;

// Calls `glyph(face, penX)` for each character of `text` (Latin-1 is all we draw) and returns the
// pen's end position. `tracking` (26.6) spaces the letters out.
template <class Visit>
long walk(FT_Face face, long tracking, const std::string& text, Visit glyph) {
  long pen = 0;  // 26.6 fixed point
  FT_UInt previous = 0;
  for (unsigned char c : text) {
    const FT_UInt index = FT_Get_Char_Index(face, c);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x;
    }
    if (FT_Load_Glyph(face, index, kLoadFlags) != 0) throw std::runtime_error("glyph not loaded");
    glyph(face, pen);
    pen += face->glyph->advance.x + tracking;
    previous = index;
  }
  return pen;
}

}  // namespace

Font::Font(const std::string& path, double pixelSize, double tracking)
    : handles_(new Handles), tracking_(std::lround(tracking * 64)) {
  if (FT_Init_FreeType(&handles_->library) != 0 ||
      FT_New_Face(handles_->library, path.c_str(), 0, &handles_->face) != 0 ||
      FT_Set_Char_Size(handles_->face, 0, static_cast<FT_F26Dot6>(std::lround(pixelSize * 64)), 72,
                       72) != 0) {
    release();
    throw std::runtime_error("cannot load font " + path);
  }
}

Font::~Font() { release(); }

void Font::release() {
  if (!handles_) return;
  if (handles_->face) FT_Done_Face(handles_->face);
  if (handles_->library) FT_Done_FreeType(handles_->library);
  delete handles_;
  handles_ = nullptr;
}

int Font::width(const std::string& text) const {
  const long pen = walk(handles_->face, tracking_, text, [](FT_Face, long) {});
  return static_cast<int>((pen - (text.empty() ? 0 : tracking_) + 32) >> 6);
}

void Font::draw(Canvas& canvas, int x, int baseline, const std::string& text, Rgba colour) const {
  walk(handles_->face, tracking_, text, [&](FT_Face face, long pen) {
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
      throw std::runtime_error("glyph not rendered");
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = x + static_cast<int>((pen + 32) >> 6) + face->glyph->bitmap_left;
    const int top = baseline - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const unsigned char coverage = bitmap.buffer[row * bitmap.pitch + column];
        if (coverage) canvas.blend(left + column, top + row, withOpacity(colour, coverage / 255.0));
      }
    }
  });
}

void Font::drawCentred(Canvas& canvas, double centreX, int baseline, const std::string& text,
                       Rgba colour) const {
  draw(canvas, static_cast<int>(std::floor(centreX - width(text) / 2.0 + 0.5)), baseline, text,
       colour);
}

}  // namespace Artwork
