// The byte sizes an image's header implies, checked against our memory caps before anything is
// allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/PngInfo.h"

namespace PngImage {

// No header may make us allocate more than this for the RGBA output, the unfiltered image or the
// inflated scanlines: 256 MiB is a 8192 x 8192 RGBA picture, far beyond any editor bitmap.
constexpr uint64_t kMaxImageBytes = 256u << 20;

struct ImageLayout {
  unsigned bitsPerPixel = 0;
  size_t bytesPerPixel = 0;  // at least 1: the step of the filters
  size_t rowBytes = 0;       // one unfiltered row without its filter byte (not interlaced)
  size_t imageBytes = 0;     // the unfiltered image in PNG layout
  size_t scanlineBytes = 0;  // the inflated data the rows need, filter bytes included
  size_t rgbaBytes = 0;
};

// 0, or PngError::kImageTooLarge when any size passes kMaxImageBytes.
int computeLayout(const PngInfo& info, ImageLayout& layout);

}  // namespace PngImage
