// Our own PNG encoder for editor screenshots: 8-bit RGB, no row filters, and deflate's stored
// blocks. The files are larger than they need be, but any decoder reads them and the code stays
// small enough to trust without a compression library.
#pragma once

#include <cstdint>
#include <vector>

// `rgb` holds `height` rows of `width` pixels, top row first, three bytes (R, G, B) a pixel.
// Empty when width or height is 0 or the buffer's size does not match.
std::vector<uint8_t> encodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);
