// Decompression of the image data: the zlib wrapper and the deflate blocks inside it.
#pragma once

#include <cstddef>
#include <vector>

namespace PngImage {

// Decompresses a zlib stream into out (resized to what came out). The Adler-32 trailer is not
// checked: a damaged checksum on otherwise good data still gives the picture. Producing more than
// maxOutput bytes stops with PngError::kTooMuchImageData, so the caller bounds the memory used.
// Returns 0 or an error number.
int zlibDecompress(std::vector<unsigned char>& out, const unsigned char* in, size_t length,
                   size_t maxOutput);

// The same for a bare deflate stream.
int inflate(std::vector<unsigned char>& out, const unsigned char* in, size_t length,
            size_t maxOutput);

}  // namespace PngImage
