#include "LibpngReference.h"

#include <png.h>

#include <cstdint>
#include <cstring>

namespace {

unsigned paletteEntries(const ImageRecipe& recipe) {
  const unsigned full = 1u << recipe.bitDepth;
  return full < 200 ? full : 200;
}

unsigned samplesPerPixel(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

size_t rowBytes(const ImageRecipe& recipe) {
  return (size_t(recipe.width) * samplesPerPixel(recipe.colourType) * recipe.bitDepth + 7) / 8;
}

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

struct ReadCursor {
  const std::vector<unsigned char>* data;
  size_t position;
};

void readFromVector(png_structp png, png_bytep out, png_size_t length) {
  auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
  if (cursor->data->size() - cursor->position < length) png_error(png, "read past end");
  std::memcpy(out, cursor->data->data() + cursor->position, length);
  cursor->position += length;
}

}  // namespace

std::vector<unsigned char> makeTestRows(const ImageRecipe& recipe, unsigned seed) {
  const size_t bytes = rowBytes(recipe);
  std::vector<unsigned char> rows(bytes * recipe.height);
  uint32_t state = seed * 2654435761u + 1;
  for (unsigned y = 0; y < recipe.height; ++y)
    for (size_t i = 0; i < bytes; ++i) {
      state = state * 1664525u + 1013904223u;
      // Left part a gradient (long matches, useful filters), right part noise.
      rows[y * bytes + i] = i < bytes / 2 ? static_cast<unsigned char>(i * 3 + y * 5)
                                          : static_cast<unsigned char>(state >> 24);
    }
  if (recipe.colourType == PNG_COLOR_TYPE_PALETTE && recipe.bitDepth == 8)
    for (auto& b : rows)
      b %= paletteEntries(recipe);  // lower depths fit any index: 2^depth entries
  return rows;
}

std::vector<unsigned char> encodeWithLibpng(const ImageRecipe& recipe,
                                            const std::vector<unsigned char>& rows) {
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, appendToVector, nullptr);
  png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bitDepth, recipe.colourType,
               recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, 0, recipe.filters);
  png_set_compression_level(png, recipe.compressionLevel);

  png_color palette[256];
  png_byte alphas[256];
  const unsigned entries = paletteEntries(recipe);
  for (unsigned i = 0; i < 256; ++i) {
    palette[i] = {static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i),
                  static_cast<png_byte>(i * i)};
    alphas[i] = static_cast<png_byte>(i * 61 + 7);
  }
  if (recipe.colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, entries);
  if (recipe.transparency) {
    // The key is the first pixel's value, so that at least that pixel turns transparent.
    png_color_16 key = {};
    const bool wide = recipe.bitDepth == 16;
    auto sample = [&](int s) {
      return wide ? unsigned(rows[2 * s] << 8 | rows[2 * s + 1]) : unsigned(rows[s]);
    };
    if (recipe.colourType == PNG_COLOR_TYPE_GRAY)
      key.gray = static_cast<png_uint_16>(recipe.bitDepth < 8 ? rows[0] >> (8 - recipe.bitDepth)
                                                              : sample(0));
    if (recipe.colourType == PNG_COLOR_TYPE_RGB) {
      key.red = static_cast<png_uint_16>(sample(0));
      key.green = static_cast<png_uint_16>(sample(1));
      key.blue = static_cast<png_uint_16>(sample(2));
    }
    const int alphaCount = recipe.colourType == PNG_COLOR_TYPE_PALETTE ? int(entries + 1) / 2 : 0;
    png_set_tRNS(png, info, alphas, alphaCount, &key);
  }
  png_write_info(png, info);
  std::vector<png_bytep> pointers(recipe.height);
  for (unsigned y = 0; y < recipe.height; ++y)
    pointers[y] = const_cast<png_bytep>(rows.data() + y * rowBytes(recipe));
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

bool decodeWithLibpng(const std::vector<unsigned char>& data, std::vector<unsigned char>& rgba,
                      unsigned& width, unsigned& height) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  ReadCursor cursor{&data, 0};
  png_set_read_fn(png, &cursor, readFromVector);
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  png_set_strip_16(png);  // keeps the high byte
  png_set_expand(png);    // palettes to RGB, low grey depths to 8 bits, tRNS to alpha
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  rgba.assign(size_t(width) * height * 4, 0);
  std::vector<png_bytep> pointers(height);
  for (unsigned y = 0; y < height; ++y) pointers[y] = rgba.data() + size_t(y) * width * 4;
  png_read_image(png, pointers.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}
