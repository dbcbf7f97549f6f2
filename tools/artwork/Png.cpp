#include "Png.h"

#include <png.h>
#include <zlib.h>

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

namespace {

// How the rows are filtered and deflated; compression level 9 always.
struct Packing {
  int filters;   // a PNG_FILTER_ mask, or 0 for libpng's own choice
  int strategy;  // a zlib strategy, or -1 for libpng's own choice
  int memLevel;  // zlib's memory level, or 0 for libpng's own choice
};

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  bytes->insert(bytes->end(), data, data + length);
}

void noFlush(png_structp) {}

std::vector<uint8_t> encode(int width, int height, const std::vector<uint8_t>& rgba,
                            const Packing& packing) {
  if (rgba.size() != static_cast<size_t>(width) * height * 4)
    throw std::runtime_error("pixel count does not match the size");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng: out of memory");
  }
  std::vector<png_const_bytep> rows(height);
  for (int y = 0; y < height; ++y) rows[y] = rgba.data() + static_cast<size_t>(y) * width * 4;
  std::vector<uint8_t> bytes;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed encoding");
  }
  png_set_write_fn(png, &bytes, appendBytes, noFlush);
  png_set_compression_level(png, 9);
  if (packing.filters) png_set_filter(png, PNG_FILTER_TYPE_BASE, packing.filters);
  if (packing.strategy >= 0) png_set_compression_strategy(png, packing.strategy);
  if (packing.memLevel) png_set_compression_mem_level(png, packing.memLevel);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, const_cast<png_bytepp>(rows.data()));
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

void save(const std::string& path, const std::vector<uint8_t>& bytes) {
  File file = open(path, "wb");
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fflush(file.get()) != 0)
    throw std::runtime_error("cannot write " + path);
}

}  // namespace

void writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  save(path, encode(width, height, rgba, {0, -1, 0}));
}

void writeSmallestPng(const std::string& path, int width, int height,
                      const std::vector<uint8_t>& rgba) {
  constexpr int kFilters[] = {PNG_ALL_FILTERS, PNG_FILTER_NONE, PNG_FILTER_SUB,
                              PNG_FILTER_UP,   PNG_FILTER_AVG,  PNG_FILTER_PAETH};
  constexpr int kStrategies[] = {Z_FILTERED, Z_DEFAULT_STRATEGY};
  std::vector<uint8_t> best;
  for (int filters : kFilters) {
    for (int strategy : kStrategies) {
      std::vector<uint8_t> bytes = encode(width, height, rgba, {filters, strategy, 9});
      // The first of equal sizes wins, so that the choice never wavers.
      if (best.empty() || bytes.size() < best.size()) best.swap(bytes);
    }
  }
  save(path, best);
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
