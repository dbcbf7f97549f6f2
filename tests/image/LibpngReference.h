// libpng as the reference the decoder is checked against: it writes the test images and decodes
// them to 8-bit RGBA the way our decoder promises to (high byte of 16-bit samples, low depths and
// palettes expanded, tRNS turned into alpha). Tests and benchmarks only.
#pragma once

#include <vector>

struct ImageRecipe {
  unsigned width, height;
  int colourType, bitDepth;
  bool interlaced;
  bool transparency;     // tRNS: a colour key, or alphas for the first palette entries
  int filters;           // PNG_FILTER_* mask offered to the writer
  int compressionLevel;  // 0 (stored blocks) to 9
};

// Encodes rows of `rows` (each row packed and byte-aligned, as libpng takes them). Palette images
// get a palette of 2^depth entries (at most 200), colour keys hit the first pixel's value.
std::vector<unsigned char> encodeWithLibpng(const ImageRecipe& recipe,
                                            const std::vector<unsigned char>& rows);
// Rows of deterministic pixels for the recipe, smooth in places and noisy in others.
std::vector<unsigned char> makeTestRows(const ImageRecipe& recipe, unsigned seed);
// Decodes to 8-bit RGBA; false when libpng refuses the data.
bool decodeWithLibpng(const std::vector<unsigned char>& png, std::vector<unsigned char>& rgba,
                      unsigned& width, unsigned& height);
