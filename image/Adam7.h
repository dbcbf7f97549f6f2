// The seven passes of Adam7 interlacing: which pixels each pass holds, and putting a pass's rows
// back in place.
#pragma once

#include <cstdint>

namespace PngImage {

constexpr int kAdam7Passes = 7;

struct Adam7Pass {
  unsigned x0, y0;  // first pixel of the pass
  unsigned dx, dy;  // spacing of its pixels
  uint64_t width;   // pixels per pass row (0: the pass is empty)
  uint64_t height;  // pass rows
};

Adam7Pass adam7Pass(int pass, uint32_t imageWidth, uint32_t imageHeight);

// Copies the pixels of one reconstructed pass row into the image (PNG layout: whole bytes per pixel
// at 8 bits and more, else bits packed without row padding, which must be zero beforehand).
void placeAdam7Row(unsigned char* image, const unsigned char* passRow, const Adam7Pass& pass,
                   uint64_t passRowIndex, uint32_t imageWidth, unsigned bitsPerPixel);

}  // namespace PngImage
