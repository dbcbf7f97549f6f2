// The PNG file structure: signature, header and the chunk sequence up to IEND.
#pragma once

#include <cstddef>
#include <vector>

#include "image/PngInfo.h"

namespace PngImage {

// Checks the signature and reads IHDR into info. Width and height are filled in as soon as they
// are read, even when a later field is rejected. Returns 0 or an error number.
int readPngHeader(const unsigned char* in, size_t length, PngInfo& info);

// Walks the chunks after IHDR up to IEND: PLTE and tRNS go into info, IDAT contents are appended
// to `compressed`, unknown ancillary chunks are skipped. CRCs are not checked. Returns 0 or an
// error number.
int readPngChunks(const unsigned char* in, size_t length, PngInfo& info,
                  std::vector<unsigned char>& compressed);

}  // namespace PngImage
