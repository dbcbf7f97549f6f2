// The cross-built FreeType, used as the editor uses it: the font read into memory, one glyph
// auto-hinted and drawn with the anti-aliasing rasterizer at the editor's text size.
//   freetype_smoke FONT.ttf
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

int fail(const char* what, FT_Error error = 0) {
  if (error)
    std::fprintf(stderr, "freetype_smoke: %s (FreeType error %d)\n", what, error);
  else
    std::fprintf(stderr, "freetype_smoke: %s\n", what);
  return 1;
}

int renderQ(FT_Library library, const std::vector<unsigned char>& font) {
  // Without the autofitter, FT_LOAD_FORCE_AUTOHINT quietly uses the font's own hinting and the
  // glyph still comes out; so every module the editor counts on is asked for by name.
  for (const char* module : {"truetype", "autofitter", "smooth"}) {
    if (!FT_Get_Module(library, module)) {
      std::fprintf(stderr, "freetype_smoke: module %s is missing\n", module);
      return 1;
    }
  }

  FT_Face face = nullptr;
  if (FT_Error e = FT_New_Memory_Face(library, font.data(), static_cast<FT_Long>(font.size()), 0,
                                      &face))
    return fail("the font does not open", e);
  struct FaceGuard {
    FT_Face face;
    ~FaceGuard() { FT_Done_Face(face); }
  } guard{face};

  if (FT_Error e = FT_Set_Char_Size(face, 0, 9 * 64, 96, 96)) return fail("FT_Set_Char_Size", e);
  FT_UInt index = FT_Get_Char_Index(face, 'Q');
  if (index == 0) return fail("the font has no Q");
  if (FT_Error e = FT_Load_Glyph(face, index, FT_LOAD_FORCE_AUTOHINT))
    return fail("FT_Load_Glyph", e);
  FT_GlyphSlot slot = face->glyph;
  if (FT_Error e = FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return fail("FT_Render_Glyph", e);

  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays != 256)
    return fail("the bitmap is not 8-bit coverage");
  // 9 pt at 96 dpi is a 12-pixel em: a capital fits in about 10 by 12 pixels, its top near the
  // cap height (about 9 pixels), and the hinter rounds the advance to whole pixels.
  const long advance = slot->advance.x / 64;
  std::printf("glyph Q %ux%u advance %ld\n", bitmap.width, bitmap.rows, advance);
  if (bitmap.width < 5 || bitmap.width > 14 || bitmap.rows < 7 || bitmap.rows > 15)
    return fail("the bitmap's size is off");
  if (slot->bitmap_top < 7 || slot->bitmap_top > 11 || slot->bitmap_left < 0 ||
      slot->bitmap_left > 2)
    return fail("the bitmap's placement is off");
  if (slot->advance.x % 64 != 0 || advance < 7 || advance > 12)
    return fail("the advance is off or not hinted");

  // The ring of a Q has solid strokes and anti-aliased edges; a blank or 1-bit bitmap has not.
  int solid = 0, partial = 0;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
    for (unsigned x = 0; x < bitmap.width; ++x) {
      if (line[x] >= 192) ++solid;
      else if (line[x] > 0) ++partial;
    }
  }
  if (solid < 8 || partial < 4) return fail("the bitmap is not a drawn glyph");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return fail("usage: freetype_smoke FONT.ttf");
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) return fail("the font file cannot be opened");
  std::vector<unsigned char> font((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
  if (font.empty()) return fail("the font file is empty");

  FT_Library library = nullptr;
  if (FT_Error e = FT_Init_FreeType(&library)) return fail("FT_Init_FreeType", e);
  int result = renderQ(library, font);
  FT_Done_FreeType(library);
  return result;
}
