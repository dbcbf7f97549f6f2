#include "text/GlyphAtlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "platform/ModuleResources.h"

namespace Mintwerk {

namespace {

constexpr unsigned kDotsPerInch = 96;
constexpr unsigned kMaxAtlasSide = 16384;
constexpr unsigned kAsciiGlyphs = 96;
// However many characters a text from outside holds, the atlas stays small: the rest are not
// drawn (and not measured).
constexpr std::size_t kMaxMoreGlyphs = 512;

// C0 and C1 controls, DEL and what no code point is: nothing to draw. ASCII has its own cells.
bool wantedBeyondAscii(char32_t c) { return c >= 0xA0 && c <= 0x10FFFF; }

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

// Lays the glyphs out in cells of cellW x cellH and renders them into the atlas: 1 when all
// ASCII glyphs fit, 0 when some did not (neededW and neededH say how large the cells must be),
// -1 when the font cannot be drawn.
int placeGlyphs(FT_Face face, const std::vector<char32_t>& codes, unsigned count, int cellW,
                int cellH, GlyphAtlas& atlas, int& neededW, int& neededH) {
  unsigned trial = 64, columns = 0, atlasHeight = 0;
  for (;; trial *= 2) {
    if (trial > kMaxAtlasSide) return -1;
    columns = (trial - 2) / static_cast<unsigned>(cellW);
    if (columns == 0) continue;
    atlasHeight = ((columns + count - 1) / columns) * static_cast<unsigned>(cellH) + 2;
    if (atlasHeight <= 2 * trial) break;
  }
  const unsigned atlasWidth = columns * static_cast<unsigned>(cellW);
  atlas.columns = columns;
  atlas.width = atlasWidth;
  atlas.height = atlasHeight;
  atlas.texels.assign(static_cast<std::size_t>(atlasWidth) * atlasHeight, 0);

  for (unsigned i = 0; i < count; ++i) {
    const bool ascii = i < kAsciiGlyphs;
    Glyph extra{};
    Glyph& g = ascii ? atlas.glyphs[i] : extra;
    const unsigned cellX = (i % columns) * static_cast<unsigned>(cellW) + 1;
    const unsigned cellY = (i / columns) * static_cast<unsigned>(cellH) + 1;
    g.cellX = static_cast<float>(cellX);
    g.cellY = static_cast<float>(cellY);
    const FT_ULong code = ascii ? i + 32 : codes[i - kAsciiGlyphs];
    const FT_UInt index = FT_Get_Char_Index(face, code);
    // An ASCII glyph that fails fails the font; another character is only left out.
    if (FT_Load_Glyph(face, index, FT_LOAD_FORCE_AUTOHINT) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL)) {
      if (ascii) return -1;
      continue;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int width = static_cast<int>(bitmap.width), rows = static_cast<int>(bitmap.rows);
    // A glyph larger than its cell would spill into its neighbours: the cells must grow for
    // an ASCII one, and another character is left out.
    if (width > cellW - 6 || rows > cellH - 2) {
      if (ascii) {
        neededW = std::max(neededW, width + 6);
        neededH = std::max(neededH, rows + 2);
      }
      continue;
    }
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
      const unsigned char* row = bitmap.pitch >= 0 ? bitmap.buffer + j * bitmap.pitch
                                                   : bitmap.buffer + (rows - 1 - j) * -bitmap.pitch;
      filterRow(row, width,
                &atlas.texels[(cellY + 1 + static_cast<unsigned>(j)) * atlasWidth + cellX + 1]);
    }
    if (!ascii) atlas.more.emplace_back(static_cast<char32_t>(code), g);
  }
  return neededW == 0 && neededH == 0 ? 1 : 0;
}

}  // namespace

const Glyph* GlyphAtlas::find(char32_t c) const {
  if (c >= 32 && c < 32 + kAsciiGlyphs) return &glyphs[c - 32];
  const auto at = std::lower_bound(
      more.begin(), more.end(), c,
      [](const std::pair<char32_t, Glyph>& entry, char32_t code) { return entry.first < code; });
  return at != more.end() && at->first == c ? &at->second : nullptr;
}

bool renderGlyphAtlas(const char* name, float pointSize, GlyphAtlas& atlas,
                      const std::vector<std::u32string>& more) {
  std::vector<char32_t> codes;
  for (const std::u32string& text : more)
    for (char32_t c : text)
      if (wantedBeyondAscii(c)) codes.push_back(c);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  if (codes.size() > kMaxMoreGlyphs) codes.resize(kMaxMoreGlyphs);
  const unsigned count = kAsciiGlyphs + static_cast<unsigned>(codes.size());
  atlas.more.clear();

  Platform::ResourceBytes resource;
  if (!name || !Platform::findModuleResource("TTF", name, resource)) return false;

  FreeTypeSession ft;
  if (FT_Init_FreeType(&ft.library) ||
      FT_New_Memory_Face(ft.library, resource.data, static_cast<FT_Long>(resource.size), 0,
                         &ft.face))
    return false;
  const FT_F26Dot6 size = static_cast<FT_F26Dot6>(pointSize * 64.0f);
  if (FT_Set_Char_Size(ft.face, size, size, 48 * kDotsPerInch, kDotsPerInch)) return false;
  // A 48-times-wide outline, hinted, then drawn at 1/16: three texels per pixel across.
  FT_Matrix matrix = {0x1000, 0, 0, 0x10000};
  FT_Set_Transform(ft.face, &matrix, nullptr);

  const FT_Long yScale = ft.face->size->metrics.y_scale;
  float offset =
      -static_cast<float>(static_cast<int32_t>(ft.face->underline_position * yScale)) / 4194304.0f;
  float thickness =
      static_cast<float>(static_cast<int32_t>(ft.face->underline_thickness * yScale)) / 4194304.0f;
  if (thickness < 1.0f) {
    offset -= 1.0f - thickness;
    thickness = 1.0f;
  }
  atlas.underlineOffset = offset;
  atlas.underlineThickness = thickness;

  // Cells as large as the face's bounding box in font units over 64, which holds every glyph
  // at the editor's small sizes; at larger ones the cells grow to the largest glyph drawn.
  int cellW = static_cast<int>((ft.face->bbox.xMax - ft.face->bbox.xMin) / 64 + 6);
  int cellH = static_cast<int>((ft.face->bbox.yMax - ft.face->bbox.yMin) / 64 + 2);
  if (cellW <= 6 || cellH <= 2) return false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    int neededW = 0, neededH = 0;
    const int placed = placeGlyphs(ft.face, codes, count, cellW, cellH, atlas, neededW, neededH);
    if (placed < 0) return false;
    if (placed > 0) return true;
    atlas.more.clear();
    cellW = std::max(cellW, neededW);
    cellH = std::max(cellH, neededH);
  }
  return false;
}

}  // namespace Mintwerk
