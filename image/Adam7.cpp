#include "image/Adam7.h"

#include "image/PackedBits.h"

namespace PngImage {

namespace {
constexpr unsigned kX0[kAdam7Passes] = {0, 4, 0, 2, 0, 1, 0};
constexpr unsigned kY0[kAdam7Passes] = {0, 0, 4, 0, 2, 0, 1};
constexpr unsigned kDx[kAdam7Passes] = {8, 8, 4, 4, 2, 2, 1};
constexpr unsigned kDy[kAdam7Passes] = {8, 8, 8, 4, 4, 2, 2};
}  // namespace

Adam7Pass adam7Pass(int pass, uint32_t imageWidth, uint32_t imageHeight) {
  // In 64 bits: a width near 2^32 must not wrap when rounding up.
  const uint64_t w = imageWidth, h = imageHeight;
  Adam7Pass p{kX0[pass], kY0[pass], kDx[pass], kDy[pass], 0, 0};
  p.width = (w + kDx[pass] - 1 - kX0[pass]) / kDx[pass];
  p.height = (h + kDy[pass] - 1 - kY0[pass]) / kDy[pass];
  return p;
}

void placeAdam7Row(unsigned char* image, const unsigned char* passRow, const Adam7Pass& pass,
                   uint64_t passRowIndex, uint32_t imageWidth, unsigned bitsPerPixel) {
  const uint64_t y = pass.y0 + passRowIndex * pass.dy;
  if (bitsPerPixel >= 8) {
    const unsigned bytes = bitsPerPixel / 8;
    for (uint64_t i = 0; i < pass.width; ++i) {
      unsigned char* pixel = image + (y * imageWidth + pass.x0 + i * pass.dx) * bytes;
      for (unsigned b = 0; b < bytes; ++b) pixel[b] = passRow[i * bytes + b];
    }
    return;
  }
  for (uint64_t i = 0; i < pass.width; ++i) {
    const unsigned value = readPackedBits(passRow, i * bitsPerPixel, bitsPerPixel);
    orPackedBits(image, (y * imageWidth + pass.x0 + i * pass.dx) * bitsPerPixel, bitsPerPixel,
                 value);
  }
}

}  // namespace PngImage
