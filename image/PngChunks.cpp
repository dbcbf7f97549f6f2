#include "image/PngChunks.h"

#include <cstring>

#include "image/PngErrors.h"

namespace PngImage {

namespace {

constexpr unsigned char kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr size_t kFirstChunkAfterHeader = 33;  // signature 8 + IHDR 4 + 4 + 13 + CRC 4
constexpr uint32_t kMaxChunkLength = 2147483647u;

uint32_t readBE32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

unsigned readBE16(const unsigned char* p) { return (p[0] << 8) | p[1]; }

bool isType(const unsigned char* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool depthAllowed(unsigned colourType, unsigned depth) {
  switch (colourType) {
    case kGrey:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kRgb:
    case kGreyAlpha:
    case kRgba:
      return depth == 8 || depth == 16;
    case kPalette:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default:
      return false;
  }
}

int readPalette(const unsigned char* data, uint32_t length, PngInfo& info) {
  const uint32_t entries = length / 3;
  if (entries > 256) return PngError::kPaletteTooBig;
  info.paletteSize = entries;
  for (uint32_t i = 0; i < entries; ++i) {
    unsigned char* entry = info.palette + 4 * i;
    entry[0] = data[3 * i];
    entry[1] = data[3 * i + 1];
    entry[2] = data[3 * i + 2];
    entry[3] = 255;
  }
  return 0;
}

int readTransparency(const unsigned char* data, uint32_t length, PngInfo& info) {
  switch (info.colourType) {
    case kPalette:
      if (info.paletteSize < length) return PngError::kTransparencyTooLong;
      for (uint32_t i = 0; i < length; ++i) info.palette[4 * i + 3] = data[i];
      return 0;
    case kGrey:
      if (length != 2) return PngError::kGreyKeyLength;
      info.keyDefined = true;
      info.keyRed = info.keyGreen = info.keyBlue = readBE16(data);
      return 0;
    case kRgb:
      if (length != 6) return PngError::kRgbKeyLength;
      info.keyDefined = true;
      info.keyRed = readBE16(data);
      info.keyGreen = readBE16(data + 2);
      info.keyBlue = readBE16(data + 4);
      return 0;
    default:
      return PngError::kTransparencyNotAllowed;
  }
}

}  // namespace

int readPngHeader(const unsigned char* in, size_t length, PngInfo& info) {
  if (length <= 28) return PngError::kTooShort;
  if (std::memcmp(in, kSignature, 8) != 0) return PngError::kBadSignature;
  if (!isType(in + 12, "IHDR")) return PngError::kNoHeaderChunk;
  info.width = readBE32(in + 16);
  info.height = readBE32(in + 20);
  info.bitDepth = in[24];
  info.colourType = in[25];
  if (in[26] != 0) return PngError::kBadCompression;
  if (in[27] != 0) return PngError::kBadFilterMethod;
  if (in[28] > 1) return PngError::kBadInterlace;
  info.interlaced = in[28] == 1;
  const unsigned type = info.colourType;
  if (type != kGrey && type != kRgb && type != kPalette && type != kGreyAlpha && type != kRgba)
    return PngError::kBadColourType;
  if (!depthAllowed(type, info.bitDepth)) return PngError::kBadBitDepth;
  return 0;
}

int readPngChunks(const unsigned char* in, size_t length, PngInfo& info,
                  std::vector<unsigned char>& compressed) {
  size_t pos = kFirstChunkAfterHeader;
  for (;;) {
    if (pos >= length || length - pos <= 8) return PngError::kChunkHeaderPastEnd;
    const uint32_t chunkLength = readBE32(in + pos);
    pos += 4;
    if (chunkLength > kMaxChunkLength) return PngError::kChunkTooLong;
    // The data must lie inside the input (length - pos > 4 here). This is stricter than
    // "position + length reaches the end" by the few bytes that would be read past it.
    if (chunkLength > length - pos - 4) return PngError::kChunkDataPastEnd;
    const unsigned char* type = in + pos;
    const unsigned char* data = type + 4;

    if (isType(type, "IDAT")) {
      compressed.insert(compressed.end(), data, data + chunkLength);
    } else if (isType(type, "IEND")) {
      return 0;
    } else if (isType(type, "PLTE")) {
      if (int error = readPalette(data, chunkLength, info)) return error;
    } else if (isType(type, "tRNS")) {
      if (int error = readTransparency(data, chunkLength, info)) return error;
    } else if (!(type[0] & 0x20)) {
      return PngError::kUnknownCriticalChunk;
    }
    pos += 4 + size_t(chunkLength) + 4;  // type, data and the CRC we do not check
  }
}

}  // namespace PngImage
