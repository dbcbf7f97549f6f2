#include "image/RgbaConversion.h"

#include <cstdint>

#include "image/PackedBits.h"
#include "image/PngErrors.h"

namespace PngImage {

namespace {

void put(unsigned char* rgba, unsigned r, unsigned g, unsigned b, unsigned a) {
  rgba[0] = static_cast<unsigned char>(r);
  rgba[1] = static_cast<unsigned char>(g);
  rgba[2] = static_cast<unsigned char>(b);
  rgba[3] = static_cast<unsigned char>(a);
}

unsigned be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }

void convertGrey(unsigned char* rgba, const unsigned char* image, const PngInfo& info,
                 uint64_t pixels) {
  const unsigned depth = info.bitDepth;
  const bool key = info.keyDefined;
  for (uint64_t i = 0; i < pixels; ++i, rgba += 4) {
    unsigned sample, grey;
    if (depth == 16) {
      sample = be16(image + 2 * i);
      grey = sample >> 8;
    } else if (depth == 8) {
      sample = grey = image[i];
    } else {
      sample = readPackedBits(image, i * depth, depth);
      grey = sample * 255 / ((1u << depth) - 1);
    }
    put(rgba, grey, grey, grey, key && sample == info.keyRed ? 0 : 255);
  }
}

void convertRgb(unsigned char* rgba, const unsigned char* image, const PngInfo& info,
                uint64_t pixels) {
  const unsigned bytes = info.bitDepth / 8;  // per sample
  for (uint64_t i = 0; i < pixels; ++i, rgba += 4) {
    const unsigned char* p = image + 3 * bytes * i;
    const unsigned r = bytes == 2 ? be16(p) : p[0];
    const unsigned g = bytes == 2 ? be16(p + 2) : p[1];
    const unsigned b = bytes == 2 ? be16(p + 4) : p[2];
    const bool clear =
        info.keyDefined && r == info.keyRed && g == info.keyGreen && b == info.keyBlue;
    put(rgba, p[0], p[bytes], p[2 * bytes], clear ? 0 : 255);
  }
}

int convertPalette(unsigned char* rgba, const unsigned char* image, const PngInfo& info,
                   uint64_t pixels) {
  const unsigned depth = info.bitDepth;
  for (uint64_t i = 0; i < pixels; ++i, rgba += 4) {
    const unsigned index = depth == 8 ? image[i] : readPackedBits(image, i * depth, depth);
    if (index >= info.paletteSize)
      return depth == 8 ? PngError::kPaletteIndex8 : PngError::kPaletteIndexLow;
    const unsigned char* entry = info.palette + 4 * index;
    put(rgba, entry[0], entry[1], entry[2], entry[3]);
  }
  return 0;
}

// Grey + alpha and RGBA: every sample's high byte (the only byte at depth 8).
void convertWithAlpha(unsigned char* rgba, const unsigned char* image, const PngInfo& info,
                      uint64_t pixels) {
  const unsigned bytes = info.bitDepth / 8;
  const bool grey = info.colourType == kGreyAlpha;
  const unsigned samples = grey ? 2 : 4;
  for (uint64_t i = 0; i < pixels; ++i, rgba += 4) {
    const unsigned char* p = image + samples * bytes * i;
    if (grey)
      put(rgba, p[0], p[0], p[0], p[bytes]);
    else
      put(rgba, p[0], p[bytes], p[2 * bytes], p[3 * bytes]);
  }
}

}  // namespace

int convertToRgba(unsigned char* rgba, const unsigned char* image, const PngInfo& info) {
  const uint64_t pixels = static_cast<uint64_t>(info.width) * info.height;
  switch (info.colourType) {
    case kGrey:
      convertGrey(rgba, image, info, pixels);
      return 0;
    case kRgb:
      convertRgb(rgba, image, info, pixels);
      return 0;
    case kPalette:
      return convertPalette(rgba, image, info, pixels);
    default:
      convertWithAlpha(rgba, image, info, pixels);
      return 0;
  }
}

}  // namespace PngImage
