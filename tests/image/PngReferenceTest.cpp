// Every colour type and bit depth, interlaced or not, with and without tRNS, at odd sizes, with
// each filter and compression level in turn: our RGBA must equal libpng's, byte for byte.
#include <gtest/gtest.h>
#include <png.h>

#include <string>

#include "LibpngReference.h"
#include "image/PngDecoder.h"

namespace {

std::vector<ImageRecipe> allRecipes() {
  const std::vector<std::pair<int, std::vector<int>>> depths = {
      {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
      {PNG_COLOR_TYPE_RGB, {8, 16}},
      {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
      {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
      {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}}};
  const unsigned sizes[][2] = {{1, 1}, {3, 5}, {17, 9}, {33, 2}, {2, 31}, {64, 20}};
  const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                         PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
  const int levels[] = {6, 0, 1, 9};
  std::vector<ImageRecipe> recipes;
  for (const auto& type : depths)
    for (int depth : type.second)
      for (bool interlaced : {false, true})
        for (bool trns : {false, true}) {
          if (trns && (type.first & PNG_COLOR_MASK_ALPHA)) continue;
          for (const auto& size : sizes) {
            const size_t n = recipes.size();
            recipes.push_back({size[0], size[1], type.first, depth, interlaced, trns,
                               filters[n % 6], levels[n / 6 % 4]});
          }
        }
  return recipes;
}

std::string recipeName(const testing::TestParamInfo<ImageRecipe>& info) {
  const ImageRecipe& s = info.param;
  return "type" + std::to_string(s.colourType) + "_" + std::to_string(s.bitDepth) + "bit_" +
         std::to_string(s.width) + "x" + std::to_string(s.height) + (s.interlaced ? "_adam7" : "") +
         (s.transparency ? "_trns" : "") + "_" + std::to_string(info.index);
}

class MatchesLibpng : public testing::TestWithParam<ImageRecipe> {};

TEST_P(MatchesLibpng, SameRgba) {
  const ImageRecipe& recipe = GetParam();
  const auto png =
      encodeWithLibpng(recipe, makeTestRows(recipe, unsigned(recipe.width * 31 + recipe.height)));
  ASSERT_FALSE(png.empty());
  std::vector<unsigned char> expected, ours;
  unsigned w = 0, h = 0;
  ASSERT_TRUE(decodeWithLibpng(png, expected, w, h));
  ASSERT_EQ(0, decodePngBuffer(ours, w, h, png.data(), png.size(), true));
  EXPECT_EQ(recipe.width, w);
  EXPECT_EQ(recipe.height, h);
  ASSERT_EQ(expected.size(), ours.size());
  for (size_t i = 0; i < ours.size(); ++i)
    ASSERT_EQ(int(expected[i]), int(ours[i])) << "byte " << i << " (pixel " << i / 4 << ")";
}

INSTANTIATE_TEST_SUITE_P(AllTypes, MatchesLibpng, testing::ValuesIn(allRecipes()), recipeName);

// A picture large enough for dynamic blocks, long matches and full 32 KiB distances.
TEST(MatchesLibpngLarge, Rgba600x480AndInterlacedRgb) {
  for (const ImageRecipe& recipe :
       {ImageRecipe{600, 480, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, PNG_ALL_FILTERS, 6},
        ImageRecipe{301, 203, PNG_COLOR_TYPE_RGB, 16, true, true, PNG_ALL_FILTERS, 9}}) {
    const auto png = encodeWithLibpng(recipe, makeTestRows(recipe, 7));
    std::vector<unsigned char> expected, ours;
    unsigned w = 0, h = 0;
    ASSERT_TRUE(decodeWithLibpng(png, expected, w, h));
    ASSERT_EQ(0, decodePngBuffer(ours, w, h, png.data(), png.size(), true));
    EXPECT_TRUE(expected == ours);
  }
}

}  // namespace
