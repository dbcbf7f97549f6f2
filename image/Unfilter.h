// Undoes the per-row prediction filters of PNG scanlines.
#pragma once

#include <cstddef>

namespace PngImage {

// Reconstructs `length` bytes of a row from its filtered bytes. `step` is the distance to the
// byte of the pixel to the left (bytes per pixel, at least 1); `prior` is the reconstructed row
// above, or null for a first row, which then counts as zeros. recon and filtered may not overlap
// partially. Returns 0 or PngError::kBadFilterType.
int unfilterRow(unsigned char* recon, const unsigned char* filtered, const unsigned char* prior,
                unsigned filterType, size_t length, size_t step);

}  // namespace PngImage
