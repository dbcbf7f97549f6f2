#include "image/PngDecoder.h"

#include <cstring>
#include <utility>

#include "image/Adam7.h"
#include "image/ImageLayout.h"
#include "image/Inflate.h"
#include "image/PackedBits.h"
#include "image/PngChunks.h"
#include "image/PngErrors.h"
#include "image/PngInfo.h"
#include "image/RgbaConversion.h"
#include "image/Unfilter.h"

using namespace PngImage;

namespace {

// Appends a row's first `bits` bits to packed output at bit position `at`.
void appendBits(unsigned char* image, uint64_t at, const unsigned char* row, uint64_t bits) {
  if (bits == 0) return;  // zero-width image: there may be no buffer at all
  if (at % 8 == 0 && bits % 8 == 0) {
    std::memcpy(image + at / 8, row, static_cast<size_t>(bits / 8));
    return;
  }
  for (uint64_t b = 0; b < bits; b += 8) {
    const unsigned count = bits - b < 8 ? static_cast<unsigned>(bits - b) : 8;
    orPackedBits(image, at + b, count, readPackedBits(row, b, count));
  }
}

int unfilterImage(std::vector<unsigned char>& image, const std::vector<unsigned char>& scanlines,
                  const PngInfo& info, const ImageLayout& layout) {
  if (scanlines.size() < layout.scanlineBytes) return PngError::kNotEnoughImageData;
  image.assign(layout.imageBytes, 0);
  const size_t rowBytes = layout.rowBytes, step = layout.bytesPerPixel;
  const unsigned char* line = scanlines.data();
  if (layout.bitsPerPixel >= 8) {
    // Whole-byte pixels: rows go straight to their place, the row above serving as prior.
    for (uint32_t y = 0; y < info.height; ++y, line += 1 + rowBytes) {
      unsigned char* recon = image.data() + y * rowBytes;
      const unsigned char* prior = y ? recon - rowBytes : nullptr;
      if (int error = unfilterRow(recon, line + 1, prior, line[0], rowBytes, step)) return error;
    }
    return 0;
  }
  if (info.height == 0) return 0;  // no rows: no row buffers, however wide the header says
  std::vector<unsigned char> row(rowBytes), prior(rowBytes);
  const uint64_t rowBits = uint64_t(info.width) * layout.bitsPerPixel;
  for (uint32_t y = 0; y < info.height; ++y, line += 1 + rowBytes) {
    if (int error =
            unfilterRow(row.data(), line + 1, y ? prior.data() : nullptr, line[0], rowBytes, step))
      return error;
    appendBits(image.data(), y * rowBits, row.data(), rowBits);
    row.swap(prior);
  }
  return 0;
}

size_t passRowBytes(const Adam7Pass& pass, unsigned bpp) {
  return static_cast<size_t>((pass.width * bpp + 7) / 8);
}

// The errors decoding the passes in order would meet (a short pass, a bad filter byte), found
// before anything is allocated: the image is then only as large as data actually present.
// Also gives the longest pass row.
int checkPasses(const std::vector<unsigned char>& scanlines, const PngInfo& info, unsigned bpp,
                size_t& longestRow) {
  size_t offset = 0;
  longestRow = 0;
  for (int p = 0; p < kAdam7Passes; ++p) {
    const Adam7Pass pass = adam7Pass(p, info.width, info.height);
    if (pass.width == 0 || pass.height == 0) continue;
    const size_t lineBytes = 1 + passRowBytes(pass, bpp);
    if (lineBytes - 1 > longestRow) longestRow = lineBytes - 1;
    if (scanlines.size() - offset < pass.height * lineBytes) return PngError::kNotEnoughImageData;
    for (uint64_t r = 0; r < pass.height; ++r, offset += lineBytes)
      if (scanlines[offset] > 4) return PngError::kBadFilterType;
  }
  return 0;
}

int deinterlaceImage(std::vector<unsigned char>& image, const std::vector<unsigned char>& scanlines,
                     const PngInfo& info, const ImageLayout& layout) {
  const unsigned bpp = layout.bitsPerPixel;
  size_t longestRow = 0;
  if (int error = checkPasses(scanlines, info, bpp, longestRow)) return error;
  image.assign(layout.imageBytes, 0);  // zeros: low-depth pixels are ORed in
  std::vector<unsigned char> row(longestRow), prior(longestRow);
  const unsigned char* line = scanlines.data();
  for (int p = 0; p < kAdam7Passes; ++p) {
    const Adam7Pass pass = adam7Pass(p, info.width, info.height);
    if (pass.width == 0 || pass.height == 0) continue;
    const size_t rowBytes = passRowBytes(pass, bpp);
    for (uint64_t r = 0; r < pass.height; ++r, line += 1 + rowBytes) {
      if (int error = unfilterRow(row.data(), line + 1, r ? prior.data() : nullptr, line[0],
                                  rowBytes, layout.bytesPerPixel))
        return error;
      placeAdam7Row(image.data(), row.data(), pass, r, info.width, bpp);
      row.swap(prior);
    }
  }
  return 0;
}

int decode(std::vector<unsigned char>& out, unsigned& width, unsigned& height,
           const unsigned char* in, size_t inLength, bool convertToRgba) {
  if (!in || inLength == 0) return PngError::kNoInput;
  PngInfo info;
  const int headerError = readPngHeader(in, inLength, info);
  width = info.width;
  height = info.height;
  if (headerError) return headerError;
  ImageLayout layout;
  if (int error = computeLayout(info, layout)) return error;

  std::vector<unsigned char> compressed;
  if (int error = readPngChunks(in, inLength, info, compressed)) return error;
  // Data beyond what the rows need is allowed and dropped; only what they use is kept.
  std::vector<unsigned char> scanlines;
  if (int error =
          zlibDecompress(scanlines, compressed.data(), compressed.size(), layout.scanlineBytes))
    return error;
  compressed = std::vector<unsigned char>();

  std::vector<unsigned char> image;
  const int error = info.interlaced ? deinterlaceImage(image, scanlines, info, layout)
                                    : unfilterImage(image, scanlines, info, layout);
  if (error) return error;

  if (!convertToRgba || (info.colourType == kRgba && info.bitDepth == 8)) {
    out.swap(image);
    return 0;
  }
  scanlines = std::vector<unsigned char>();
  std::vector<unsigned char> rgba(layout.rgbaBytes);
  if (int error = PngImage::convertToRgba(rgba.data(), image.data(), info)) return error;
  out.swap(rgba);
  return 0;
}

}  // namespace

int decodePngBuffer(std::vector<unsigned char>& out, unsigned& width, unsigned& height,
                    const unsigned char* in, size_t inLength, bool convertToRgba) {
  width = height = 0;
  out.clear();
  const int error = decode(out, width, height, in, inLength, convertToRgba);
  if (error) out.clear();
  return error;
}
