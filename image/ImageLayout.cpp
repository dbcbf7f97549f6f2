#include "image/ImageLayout.h"

#include "image/Adam7.h"
#include "image/PngErrors.h"

namespace PngImage {

namespace {

// a * b, or a value above the cap when the product would be (no wrap-around in between).
uint64_t cappedProduct(uint64_t a, uint64_t b) {
  if (a != 0 && b > kMaxImageBytes / a) return kMaxImageBytes + 1;
  return a * b;
}

uint64_t rowBytesFor(uint64_t width, unsigned bitsPerPixel) {
  return (width * bitsPerPixel + 7) / 8;  // width < 2^32, bitsPerPixel <= 64: no overflow
}

}  // namespace

int computeLayout(const PngInfo& info, ImageLayout& layout) {
  const unsigned bpp = bitsPerPixel(info);
  layout.bitsPerPixel = bpp;
  layout.bytesPerPixel = (bpp + 7) / 8;

  const uint64_t pixels = static_cast<uint64_t>(info.width) * info.height;  // < 2^64
  const uint64_t rgba = cappedProduct(pixels, 4);
  const uint64_t rowBytes = rowBytesFor(info.width, bpp);
  if (rgba > kMaxImageBytes || rowBytes > kMaxImageBytes) return PngError::kImageTooLarge;
  const uint64_t image = (pixels * bpp + 7) / 8;  // pixels <= 2^26 here: no overflow
  uint64_t scanlines = 0;
  if (!info.interlaced) {
    scanlines = cappedProduct(info.height, 1 + rowBytes);
  } else {
    for (int p = 0; p < kAdam7Passes; ++p) {
      const Adam7Pass pass = adam7Pass(p, info.width, info.height);
      if (pass.width == 0 || pass.height == 0) continue;
      scanlines += cappedProduct(pass.height, 1 + rowBytesFor(pass.width, bpp));
    }
  }
  if (image > kMaxImageBytes || scanlines > kMaxImageBytes) return PngError::kImageTooLarge;

  layout.rowBytes = static_cast<size_t>(rowBytes);
  layout.imageBytes = static_cast<size_t>(image);
  layout.scanlineBytes = static_cast<size_t>(scanlines);
  layout.rgbaBytes = static_cast<size_t>(rgba);
  return 0;
}

}  // namespace PngImage
