#include "Png.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace Artwork {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

File open(const std::string& path, const char* mode) {
  File file(std::fopen(path.c_str(), mode));
  if (!file) throw std::runtime_error("cannot open " + path);
  return file;
}

}  // namespace

void writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  if (rgba.size() != static_cast<size_t>(width) * height * 4)
    throw std::runtime_error("pixel count does not match the size");
  File file = open(path, "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng: out of memory");
  }
  std::vector<png_const_bytep> rows(height);
  for (int y = 0; y < height; ++y) rows[y] = rgba.data() + static_cast<size_t>(y) * width * 4;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed writing " + path);
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, const_cast<png_bytepp>(rows.data()));
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

PngFile readPng(const std::string& path) {
  File file = open(path, "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw std::runtime_error("libpng: out of memory");
  }
  PngFile result;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::runtime_error("libpng failed reading " + path);
  }
  png_init_io(png, file.get());
  png_read_info(png, info);
  result.width = png_get_image_width(png, info);
  result.height = png_get_image_height(png, info);
  result.bitDepth = png_get_bit_depth(png, info);
  result.colourType = png_get_color_type(png, info);
  result.interlace = png_get_interlace_type(png, info);
  if (result.bitDepth == 8 && result.colourType == PNG_COLOR_TYPE_RGB_ALPHA &&
      result.interlace == PNG_INTERLACE_NONE) {
    result.rgba.resize(static_cast<size_t>(result.width) * result.height * 4);
    std::vector<png_bytep> rows(result.height);
    for (uint32_t y = 0; y < result.height; ++y)
      rows[y] = result.rgba.data() + static_cast<size_t>(y) * result.width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return result;
}

}  // namespace Artwork
