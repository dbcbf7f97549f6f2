// Writing and reading the 8-bit RGBA PNG files we make, through libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Artwork {

// Writes RGBA rows (colour type 6, 8 bits, not interlaced) with fixed compression settings and no
// time or text chunks, so the same pixels always give the same bytes. Throws on failure.
void writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

// The same, but tries each row filter and deflate strategy libpng offers at its highest level and
// keeps the smallest file: as reproducible, and smaller for the large images the module carries.
void writeSmallestPng(const std::string& path, int width, int height,
                      const std::vector<uint8_t>& rgba);

struct PngFile {
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  std::vector<uint8_t> rgba;  // filled only for 8-bit RGBA files
  uint8_t at(uint32_t x, uint32_t y, int channel) const {
    return rgba[(static_cast<size_t>(y) * width + x) * 4 + channel];
  }
};

// The header's facts, and the pixels as stored when the file is 8-bit RGBA. Throws on failure.
PngFile readPng(const std::string& path);

}  // namespace Artwork
