// What the header and the ancillary chunks tell about an image, as the decoder needs it.
#pragma once

#include <cstdint>

namespace PngImage {

enum ColourType : unsigned { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct PngInfo {
  uint32_t width = 0;
  uint32_t height = 0;
  unsigned bitDepth = 0;
  unsigned colourType = 0;
  bool interlaced = false;

  unsigned paletteSize = 0;
  unsigned char palette[256 * 4] = {};  // R, G, B, A per entry

  // tRNS for grey and RGB images: pixels equal to the key are transparent. Grey keys set all three.
  bool keyDefined = false;
  unsigned keyRed = 0, keyGreen = 0, keyBlue = 0;
};

// Bits per pixel: depth times the samples per pixel.
inline unsigned bitsPerPixel(const PngInfo& info) {
  switch (info.colourType) {
    case kRgb:
      return 3 * info.bitDepth;
    case kGreyAlpha:
      return 2 * info.bitDepth;
    case kRgba:
      return 4 * info.bitDepth;
    default:
      return info.bitDepth;
  }
}

}  // namespace PngImage
