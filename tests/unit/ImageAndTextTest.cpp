// The module's images and its font as the editor uses them: decoded from the embedded resources,
// turned into textures, and text laid out from the glyph atlas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "RecordingDevice.h"
#include "gui/Image.h"
#include "text/Font.h"
#include "text/TextMode.h"

namespace {

using Mintwerk::Font;
using Mintwerk::Image;

// The editor picks the images of its pixel density by name, each the 1x layout times the density;
// names are asked for in mixed case, as the lookup ignores case.
TEST(ModuleImages, BothImagesDecodeWithTheirSizesAndAlpha) {
  struct Density {
    const char* sheet;
    const char* background;
    unsigned percent;
  };
  const Density densities[] = {{"commonTextures", "Texture", 100},
                               {"commonTextures150", "Texture150", 150},
                               {"CommonTextures200", "Texture200", 200},
                               {"COMMONTEXTURES300", "texture300", 300}};
  for (const Density& density : densities) {
    SCOPED_TRACE(density.percent);
    std::unique_ptr<Image> sheet(Mintwerk::loadImageResource(density.sheet));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->getWidth(), 600u * density.percent / 100);
    EXPECT_EQ(sheet->getHeight(), 480u * density.percent / 100);
    const unsigned sheetPixels = sheet->getWidth() * sheet->getHeight();
    for (unsigned i = 0; i < sheetPixels; ++i) {
      const uint32_t p = sheet->getPixels()[i];
      const uint32_t a = p >> 24;
      ASSERT_TRUE(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a) << i;
    }
    std::unique_ptr<Image> background(Mintwerk::loadImageResource(density.background));
    ASSERT_TRUE(background);
    EXPECT_EQ(background->getWidth(), 340u * density.percent / 100);
    EXPECT_EQ(background->getHeight(), 190u * density.percent / 100);
    const unsigned backgroundPixels = background->getWidth() * background->getHeight();
    for (unsigned i = 0; i < backgroundPixels; ++i)
      ASSERT_EQ(background->getPixels()[i] >> 24, 0xFFu) << i;
  }

  std::unique_ptr<Image> background(Mintwerk::loadImageResource("Texture"));
  RecordingDevice device;
  DXBlit::StaticTexture* texture = background->createTexture(device);
  EXPECT_EQ(static_cast<RecordingTexture*>(texture)->pixels[339], background->getPixels()[339]);
  texture->release();
  EXPECT_EQ(device.liveTextures, 0);
}

TEST(ModuleImages, MissingAndBrokenImages) {
  EXPECT_EQ(Mintwerk::loadImageResource("NoSuchImage"), nullptr);
  EXPECT_EQ(Mintwerk::loadImageResource(nullptr), nullptr);
  const unsigned char notPng[] = {0x89, 0x50, 0x4E, 0x47, 13, 10, 26, 10, 0, 0};
  EXPECT_THROW(Image(notPng, sizeof notPng), Image::Exception);
  EXPECT_THROW(Image(notPng, 3), Image::Exception);
  EXPECT_THROW(Image(nullptr, 0), Image::Exception);
}

TEST(ModuleImages, TheCacheDecodesOncePerModule) {
  const Image* first = Mintwerk::cachedImageResource("commonTextures");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Mintwerk::cachedImageResource("COMMONTEXTURES"), first);
  EXPECT_EQ(Mintwerk::cachedImageResource("missing"), nullptr);
}

class ModuleFont : public ::testing::Test {
 protected:
  void SetUp() override {
    Mintwerk::currentTextMode() = Mintwerk::TextMode();
    font = Mintwerk::createFont(device, "Vera", 10.0f);
    ASSERT_NE(font, nullptr);
    Mintwerk::currentTextMode() = Mintwerk::TextMode{false, true};
  }
  void TearDown() override {
    Mintwerk::destroyFont(font);
    EXPECT_EQ(device.liveTextures, 0);
  }
  RecordingDevice device;
  Font* font = nullptr;
};

TEST_F(ModuleFont, AtlasLayoutFollowsTheFontsBoundingBox) {
  auto* atlas = static_cast<RecordingTexture*>(font->atlas);
  EXPECT_EQ(atlas->width, 477u);  // 9 cells of 53
  EXPECT_EQ(atlas->height, 431u);
  EXPECT_EQ(font->columns, 9u);
  const Mintwerk::Glyph& q = font->glyphs['Q' - 32];
  EXPECT_EQ(q.cellX, static_cast<float>((('Q' - 32) % 9) * 53 + 1));
  EXPECT_EQ(q.cellY, static_cast<float>((('Q' - 32) / 9) * 39 + 1));
  EXPECT_GT(q.width, 6.0f);
  EXPECT_GE(font->underlineThickness, 1.0f);
  // Coverage is white premultiplied: the same byte in all four channels, and nothing is ever
  // written outside a cell's filtered area.
  for (uint32_t texel : atlas->pixels) ASSERT_EQ(texel, (texel & 0xFF) * 0x01010101u);
  const Mintwerk::Glyph& space = font->glyphs[0];
  EXPECT_EQ(space.width, 6.0f);
  EXPECT_EQ(space.height, 2.0f);
}

TEST_F(ModuleFont, DrawingAndMeasuringAgree) {
  const char text[] = "Q range\x01\xE9~\x7F";
  const float measured = Mintwerk::measureText(font, text, -1);
  const float drawn = Mintwerk::drawText(font, device, text, -1, 10.25f, 20.6f, 0xFFF3A429, true);
  EXPECT_EQ(drawn, measured);
  ASSERT_EQ(device.batches.size(), 2u);
  const RecordedBatch& glyphs = device.batches[0];
  EXPECT_EQ(glyphs.quads.size(), 9u);  // the control byte and the byte above 127 are skipped
  EXPECT_EQ(glyphs.blend, DXBlit::BlendPremultiplied);
  EXPECT_EQ(glyphs.combine, DXBlit::CombineTexture);
  EXPECT_EQ(glyphs.texture0, font->atlas);
  const Mintwerk::Glyph& q = font->glyphs['Q' - 32];
  const DXBlit::Quad& first = glyphs.quads[0];
  EXPECT_FLOAT_EQ(first.x0, 10.25f + q.left / 3.0f - 1.0f);
  EXPECT_EQ(first.y0, std::floor(20.6f - q.top - 1.0f));
  EXPECT_EQ(first.s0, q.cellX + 1.0f);
  EXPECT_EQ(glyphs.quads[8].s0, font->glyphs[95].cellX + 1.0f);  // 127 draws glyph 95
  const RecordedBatch& underline = device.batches[1];
  EXPECT_EQ(underline.combine, DXBlit::CombineColor);
  EXPECT_FLOAT_EQ(underline.quads[0].x1 - underline.quads[0].x0, drawn);
  EXPECT_EQ(Mintwerk::drawText(font, device, "", -1, 0, 0, 0xFFFFFFFF, false), 0.0f);
  EXPECT_EQ(Mintwerk::drawText(nullptr, device, "x", -1, 0, 0, 0xFFFFFFFF, false), 0.0f);
}

TEST_F(ModuleFont, SubpixelTextDrawsThreeShiftedChannelCopies) {
  Mintwerk::currentTextMode() = Mintwerk::TextMode{true, false};  // blue-green-red display
  Mintwerk::drawText(font, device, "A", 1, 5.0f, 10.0f, 0xFF102030, false);
  const auto& quads = device.batches.back().quads;
  ASSERT_EQ(quads.size(), 3u);
  EXPECT_EQ(device.batches.back().blend, DXBlit::BlendSubpixel);
  EXPECT_EQ(quads[0].colour, 0x10FF0000u);
  EXPECT_EQ(quads[1].colour, 0x2000FF00u);
  EXPECT_EQ(quads[2].colour, 0x300000FFu);
  EXPECT_FLOAT_EQ(quads[0].x0, quads[1].x0 - 0.25f);
  EXPECT_FLOAT_EQ(quads[2].x0, quads[1].x0 + 0.25f);
}

// Glyphs advance by FreeType's advance with its fraction: at 8 points 'a' advances 1260/64
// thirds of a pixel, not the 19 whole thirds a truncated division would give.
TEST(ModuleFontAdvance, KeepsTheFractionOfAThird) {
  RecordingDevice device;
  Font* small = Mintwerk::createFont(device, "Vera", 8.0f);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->glyphs['a' - 32].advanceX, 19.6875f);
  EXPECT_EQ(Mintwerk::measureText(small, "aaa", -1), 19.6875f);
  Mintwerk::destroyFont(small);
}

// A font for a scene drawn at 2x renders its glyphs at twice the size, not a stretched 1x
// bitmap, and keeps measuring and placing text in the scene's units: the 8-point text of a
// 200 % editor is as wide as the 16-point text of a 1:1 one, halved.
TEST(ModuleFontAtScale, RendersLargerGlyphsAndKeepsTheUnits) {
  RecordingDevice device;
  Mintwerk::currentTextMode() = Mintwerk::TextMode();
  Font* large = Mintwerk::createFont(device, "Vera", 16.0f);
  Font* scaled = Mintwerk::createFont(device, "Vera", 8.0f, 2.0f);
  ASSERT_NE(large, nullptr);
  ASSERT_NE(scaled, nullptr);
  EXPECT_EQ(scaled->glyphs['Q' - 32].width, large->glyphs['Q' - 32].width);
  EXPECT_EQ(Mintwerk::measureText(scaled, "cutoff", -1),
            Mintwerk::measureText(large, "cutoff", -1) / 2.0f);
  const float drawn = Mintwerk::drawText(scaled, device, "Q", 1, 10.0f, 20.0f, 0xFFFFFFFF, false);
  EXPECT_EQ(drawn, Mintwerk::measureText(scaled, "Q", 1));
  const DXBlit::Quad& q = device.batches.back().quads.at(0);
  const Mintwerk::Glyph& g = scaled->glyphs['Q' - 32];
  EXPECT_FLOAT_EQ(q.x1 - q.x0, g.width / 3.0f / 2.0f);  // a pixel of the glyph is half a unit
  EXPECT_FLOAT_EQ(q.y1 - q.y0, g.height / 2.0f);
  EXPECT_EQ(q.s1 - q.s0, g.width);                           // sampled 1:1 from its atlas
  EXPECT_EQ(q.y0 * 2.0f, std::floor(40.0f - g.top - 1.0f));  // on a whole pixel row
  Mintwerk::destroyFont(large);
  Mintwerk::destroyFont(scaled);
}

TEST(TextMode, SystemSettingsAndTheChord) {
  Platform::TextSmoothingQuery query;
  EXPECT_FALSE(Mintwerk::decideTextMode(query).subpixelText);
  EXPECT_TRUE(Mintwerk::decideTextMode(query).subpixelRGB);
  query.smoothingKnown = query.smoothingOn = query.typeKnown = true;
  query.type = 2;
  query.orientationKnown = true;
  query.orientation = 0;
  EXPECT_TRUE(Mintwerk::decideTextMode(query).subpixelText);
  EXPECT_FALSE(Mintwerk::decideTextMode(query).subpixelRGB);
  query.orientationKnown = false;
  EXPECT_TRUE(Mintwerk::decideTextMode(query).subpixelRGB);
  query.shiftCtrlAltHeld = true;
  EXPECT_FALSE(Mintwerk::decideTextMode(query).subpixelText);
  query.shiftCtrlAltHeld = false;
  query.type = 1;  // standard smoothing is grey
  EXPECT_FALSE(Mintwerk::decideTextMode(query).subpixelText);
}

TEST(ModuleFontMissing, AnUnknownFontResourceGivesNull) {
  RecordingDevice device;
  EXPECT_EQ(Mintwerk::createFont(device, "NoSuchFont", 10.0f), nullptr);
  EXPECT_EQ(device.liveTextures, 0);
}

// Filling a texture throws when the GL fails; the texture made for it must not outlive the
// failure, or the device reports a leak when it goes.
TEST(FailedTextureFill, LeavesNoTextureBehind) {
  RecordingDevice device;
  device.failTextureUpdates = true;
  EXPECT_EQ(Mintwerk::createFont(device, "Vera", 8.0f), nullptr);
  EXPECT_EQ(device.liveTextures, 0);
  const Image* sheet = Mintwerk::cachedImageResource("commonTextures");
  ASSERT_NE(sheet, nullptr);
  EXPECT_THROW(sheet->createTexture(device), DXBlit::Exception);
  EXPECT_EQ(device.liveTextures, 0);
}

}  // namespace
