// Decompression of the image data: the zlib wrapper and the deflate blocks inside it.
#pragma once

#include <cstddef>
#include <vector>

namespace PngImage {

// Decompresses a zlib stream into out: its first `keep` bytes, or all of them when fewer came
// out. The Adler-32 trailer is not checked: a damaged checksum on otherwise good data still gives
// the picture. Data beyond `keep` is decoded and checked like the rest, then dropped, so the
// caller bounds the memory used whatever the stream holds.
// Returns 0 or an error number.
int zlibDecompress(std::vector<unsigned char>& out, const unsigned char* in, size_t length,
                   size_t keep);

// The same for a bare deflate stream.
int inflate(std::vector<unsigned char>& out, const unsigned char* in, size_t length, size_t keep);

}  // namespace PngImage
