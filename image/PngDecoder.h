// Our PNG decoder, for the bitmaps the editor carries inside the module. Portable C++ only.
//
// decodePngBuffer decodes the PNG in in[0, inLength). Returns 0 on success, else one of the
// error numbers listed in image/PngErrors.h. width and height are written on every return (after
// an error they may hold anything); out is emptied on error.
//
// With convertToRgba, out receives width * height * 4 bytes: rows top to bottom, each pixel R, G,
// B, A at 8 bits (16-bit samples keep their high byte, lower depths are scaled up, palettes and
// tRNS expand to colour and alpha). Without it (and for 8-bit RGBA images either way) out holds
// the unfiltered, de-interlaced image in PNG layout: height rows of width * bitsPerPixel bits,
// each row starting on a byte when a pixel has 8 bits or more; below 8 bits per pixel the rows
// follow one another with no padding between them.
//
// Memory caps: an image whose RGBA output, unfiltered image or inflated scanlines would exceed
// 256 MiB is refused from its header alone (error 100). Inflated data beyond what the scanlines
// need is checked and dropped as it comes, so no input makes us allocate much more than the
// picture it describes.
#pragma once

#include <cstddef>
#include <vector>

int decodePngBuffer(std::vector<unsigned char>& out, unsigned& width, unsigned& height,
                    const unsigned char* in, size_t inLength, bool convertToRgba);
