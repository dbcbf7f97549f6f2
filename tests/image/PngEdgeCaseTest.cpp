// What the decoder tolerates, and the layout of its raw output.
#include <gtest/gtest.h>
#include <png.h>

#include "LibpngReference.h"
#include "PngBuilder.h"
#include "image/Inflate.h"
#include "image/PngDecoder.h"

namespace {

int decode(const Bytes& png, Bytes& out, bool rgba = true) {
  unsigned w = 0, h = 0;
  return decodePngBuffer(out, w, h, png.data(), png.size(), rgba);
}

TEST(PngTolerates, BadCrcsBadAdlerAndUnknownAncillaryChunk) {
  Bytes png = makePng(ihdr(2, 1, 8, 2),
                      {{"tIME", Bytes(7)}, {"IDAT", zlibStored({0, 1, 2, 3, 4, 5, 6}, false)}});
  png[29] ^= 0xFF;               // IHDR's CRC
  png[png.size() - 14] ^= 0xFF;  // IDAT's CRC
  Bytes out;
  ASSERT_EQ(0, decode(png, out));
  EXPECT_EQ(Bytes({1, 2, 3, 255, 4, 5, 6, 255}), out);
}

TEST(PngTolerates, PaletteAfterImageData) {
  const Bytes png = makePng(ihdr(2, 1, 8, 3),
                            {{"IDAT", zlibStored({0, 1, 0})}, {"PLTE", {10, 20, 30, 40, 50, 60}}});
  Bytes out;
  ASSERT_EQ(0, decode(png, out));
  EXPECT_EQ(Bytes({40, 50, 60, 255, 10, 20, 30, 255}), out);
}

TEST(PngTolerates, SizeWrittenEvenOnError) {
  Bytes png = makePng(ihdr(5, 7, 8, 0), {});
  png[26] = 1;  // compression method
  Bytes out;
  unsigned w = 0, h = 0;
  EXPECT_EQ(32, decodePngBuffer(out, w, h, png.data(), png.size(), true));
  EXPECT_EQ(5u, w);
  EXPECT_EQ(7u, h);
}

// A fixed block: literal 0, then `count` matches of 258 bytes at distance 1, 13 bits each.
Bytes zeroThenMatches(int count) {
  BitWriter w;
  w.bits(1, 1), w.bits(1, 2);
  w.fixedLiteral(0);
  for (int i = 0; i < count; ++i) w.fixedLiteral(285), w.code(0, 5);
  w.fixedLiteral(256);
  return w.bytes();
}

TEST(PngTolerates, ImageDataLongerThanTheRowsNeed) {
  Bytes out;
  // 2 x 1 RGB, then 4 KiB that no row uses.
  Bytes data = {0, 1, 2, 3, 4, 5, 6};
  data.resize(data.size() + 4096, 9);
  ASSERT_EQ(0, decode(makePng(ihdr(2, 1, 8, 2), {{"IDAT", zlibStored(data)}}), out));
  EXPECT_EQ(Bytes({1, 2, 3, 255, 4, 5, 6, 255}), out);

  // 3 x 3 grey, interlaced: the passes take 15 bytes, 2 KiB follow.
  Bytes passes = {0, 10, 0, 30, 0, 70, 90, 0, 20, 0, 80, 0, 40, 50, 60};
  passes.resize(passes.size() + 2048, 1);
  ASSERT_EQ(0, decode(makePng(ihdr(3, 3, 8, 0, 1), {{"IDAT", zlibStored(passes)}}), out));
  ASSERT_EQ(36u, out.size());
  for (unsigned i = 0; i < 9; ++i) EXPECT_EQ(10 * (i + 1), out[i * 4]) << i;

  // A 1 x 1 picture whose stream goes on for 2.5 MB of matches.
  ASSERT_EQ(0,
            decode(makePng(ihdr(1, 1, 8, 0), {{"IDAT", zlibWrap(zeroThenMatches(10000))}}), out));
  EXPECT_EQ(Bytes({0, 0, 0, 255}), out);
}

TEST(PngInflate, SurplusNeverGrowsTheOutputPastWhatIsKept) {
  const Bytes stream = zeroThenMatches(100000);  // 25.8 MB from 160 KB
  Bytes out;
  ASSERT_EQ(0, PngImage::inflate(out, stream.data(), stream.size(), 16));
  EXPECT_EQ(Bytes(16, 0), out);
  EXPECT_LE(out.capacity(), 32u);
}

TEST(PngTolerates, EmptyImages) {
  // Five rows of nothing but their filter bytes, at a depth below 8 and at 8; and no rows at all
  // under a header 1.6 billion pixels wide (which must not allocate rows for it either).
  for (unsigned depth : {2u, 8u}) {
    Bytes out{1};
    EXPECT_EQ(0, decode(makePng(ihdr(0, 5, depth, 0), {{"IDAT", zlibStored(Bytes(5))}}), out));
    EXPECT_TRUE(out.empty());
    for (unsigned interlace : {0u, 1u}) {
      const Bytes png = makePng(ihdr(1610612736, 0, 1, 0, interlace), {{"IDAT", zlibStored({})}});
      EXPECT_EQ(0, decode(png, out));
      EXPECT_TRUE(out.empty());
    }
  }
}

TEST(PngInflate, StoredBlocksIncludingAnEmptyOne) {
  // 3 x 2 grey, the rows split over three stored blocks, the middle one empty.
  Bytes idat = {0x78, 0x01, 0x00, 3, 0, 0xFC, 0xFF, 0, 7, 8, 0x00, 0, 0,
                0xFF, 0xFF, 0x01, 5, 0, 0xFA, 0xFF, 9, 2, 1, 1,    1};
  Bytes out;
  ASSERT_EQ(0, decode(makePng(ihdr(3, 2, 8, 0), {{"IDAT", idat}}), out, false));
  EXPECT_EQ(Bytes({7, 8, 9, 8, 9, 10}), out);  // second row: filter 2 (up) adding 1
}

TEST(PngInflate, OverlappingMatchesRepeatWhatTheyWrite) {
  // One 12-pixel grey row: filter 0, then 10, 20 and a match of 10 at distance 2.
  BitWriter w;
  w.bits(1, 1), w.bits(1, 2);
  for (unsigned s : {0, 10, 20}) w.fixedLiteral(s);
  w.fixedLiteral(264), w.code(1, 5);  // length 10, distance 2
  w.fixedLiteral(256);
  Bytes out;
  ASSERT_EQ(0, decode(makePng(ihdr(12, 1, 8, 0), {{"IDAT", zlibWrap(w.bytes())}}), out, false));
  EXPECT_EQ(Bytes({10, 20, 10, 20, 10, 20, 10, 20, 10, 20, 10, 20}), out);
}

TEST(PngRawLayout, LowDepthRowsPackedWithoutPadding) {
  // 3 x 3 at 2 bits: pixels 0 1 2 / 3 0 1 / 2 3 0, each row padded to a byte in the file.
  const Bytes png = makePng(ihdr(3, 3, 2, 0), {{"IDAT", zlibStored({0, 0x18, 0, 0xC4, 0, 0xB0})}});
  Bytes out;
  ASSERT_EQ(0, decode(png, out, false));
  EXPECT_EQ(Bytes({0x1B, 0x1B, 0x00}), out);
  ASSERT_EQ(0, decode(png, out, true));
  EXPECT_EQ(0x55, out[4]);   // pixel (1, 0): 1 of 3
  EXPECT_EQ(0xFF, out[12]);  // pixel (0, 1): 3 of 3
}

TEST(PngRawLayout, InterlacedOneBitGreyEqualsItsPlainTwin) {
  ImageRecipe recipe{13, 11, PNG_COLOR_TYPE_GRAY, 1, false, false, PNG_ALL_FILTERS, 6};
  const auto rows = makeTestRows(recipe, 3);
  const auto plain = encodeWithLibpng(recipe, rows);
  recipe.interlaced = true;
  const auto interlaced = encodeWithLibpng(recipe, rows);
  ASSERT_NE(plain, interlaced);
  Bytes a, b;
  ASSERT_EQ(0, decode(plain, a, false));
  ASSERT_EQ(0, decode(interlaced, b, false));
  EXPECT_EQ(size_t(13 * 11 + 7) / 8, a.size());
  EXPECT_EQ(a, b);
}

}  // namespace
