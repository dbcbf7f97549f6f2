// Time to decode editor-sized RGBA pictures (340 x 190, the editor, and 600 x 480) with our decoder
// and, for comparison, with libpng. The pictures are made here with libpng at its default
// compression: gradients under antialiased discs and a ring, like the editor's artwork.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "image/PngDecoder.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Coverage of a disc's edge, antialiased over one pixel.
double disc(double x, double y, double cx, double cy, double r) {
  const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
  return d <= r - 0.5 ? 1.0 : d >= r + 0.5 ? 0.0 : r + 0.5 - d;
}

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

Bytes makePicture(unsigned width, unsigned height) {
  Bytes rgba(size_t(width) * height * 4);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) {
      const double fx = double(x) / width, fy = double(y) / height;
      double r = 40 + 150 * fx, g = 60 + 120 * fy, b = 180 - 100 * fx * fy, a = 255;
      const double knob = disc(x, y, width * 0.3, height * 0.5, height * 0.3);
      r += (230 - r) * knob, g += (200 - g) * knob, b += (90 - b) * knob;
      const double ring = disc(x, y, width * 0.7, height * 0.45, height * 0.25) -
                          disc(x, y, width * 0.7, height * 0.45, height * 0.2);
      r *= 1 - 0.6 * ring, g *= 1 - 0.6 * ring, b *= 1 - 0.6 * ring;
      a -= 100 * disc(x, y, width * 0.9, height * 0.9, height * 0.08);
      unsigned char* p = &rgba[(size_t(y) * width + x) * 4];
      p[0] = static_cast<unsigned char>(r), p[1] = static_cast<unsigned char>(g);
      p[2] = static_cast<unsigned char>(b), p[3] = static_cast<unsigned char>(a);
    }
  Bytes png;
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(writer);
  if (setjmp(png_jmpbuf(writer))) std::abort();
  png_set_write_fn(writer, &png, appendToVector, nullptr);
  png_set_IHDR(writer, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(writer, info);
  for (unsigned y = 0; y < height; ++y) png_write_row(writer, &rgba[size_t(y) * width * 4]);
  png_write_end(writer, info);
  png_destroy_write_struct(&writer, &info);
  return png;
}

struct Cursor {
  const Bytes* data;
  size_t position;
};

void readFromVector(png_structp png, png_bytep out, png_size_t length) {
  auto* cursor = static_cast<Cursor*>(png_get_io_ptr(png));
  if (cursor->data->size() - cursor->position < length) png_error(png, "truncated");
  std::memcpy(out, cursor->data->data() + cursor->position, length);
  cursor->position += length;
}

void decodeWithLibpng(const Bytes& data, Bytes& rgba) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) std::abort();
  Cursor cursor{&data, 0};
  png_set_read_fn(png, &cursor, readFromVector);
  png_read_info(png, info);
  const unsigned width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  rgba.resize(size_t(width) * height * 4);
  for (unsigned y = 0; y < height; ++y) png_read_row(png, &rgba[size_t(y) * width * 4], nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

void ours(benchmark::State& state) {
  const Bytes png = makePicture(unsigned(state.range(0)), unsigned(state.range(1)));
  Bytes rgba;
  unsigned w = 0, h = 0;
  for (auto _ : state) {
    if (decodePngBuffer(rgba, w, h, png.data(), png.size(), true) != 0) state.SkipWithError("fail");
    benchmark::DoNotOptimize(rgba.data());
  }
  state.counters["pngBytes"] = double(png.size());
}

void libpng(benchmark::State& state) {
  const Bytes png = makePicture(unsigned(state.range(0)), unsigned(state.range(1)));
  Bytes rgba;
  for (auto _ : state) {
    decodeWithLibpng(png, rgba);
    benchmark::DoNotOptimize(rgba.data());
  }
}

BENCHMARK(ours)->Args({340, 190})->Args({600, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(libpng)->Args({340, 190})->Args({600, 480})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
