// Turns an unfiltered image of any colour type and depth into 8-bit RGBA.
#pragma once

#include "image/PngInfo.h"

namespace PngImage {

// `image` is in PNG layout (see PngDecoder.h); rgba receives width * height * 4 bytes. 16-bit
// samples keep their high byte; lower depths are scaled to 0..255; tRNS keys and palette alphas
// become the alpha channel. Returns 0, or an error number for a palette index beyond the palette.
int convertToRgba(unsigned char* rgba, const unsigned char* image, const PngInfo& info);

}  // namespace PngImage
