// pngdecode: decodes a PNG with our own decoder and writes its pixels as raw 8-bit RGBA, rows top
// to bottom. Prints "W H" and exits 0; on a decoding error prints "error N" and exits 1; bad usage
// or unreadable/unwritable files exit 2.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/PngDecoder.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pngdecode IN.png OUT.rgba\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "pngdecode: cannot read %s\n", argv[1]);
    return 2;
  }
  const std::vector<unsigned char> png((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  std::vector<unsigned char> rgba;
  unsigned width = 0, height = 0;
  const int error = decodePngBuffer(rgba, width, height, png.data(), png.size(), true);
  if (error) {
    std::printf("error %d\n", error);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()));
  if (!out) {
    std::fprintf(stderr, "pngdecode: cannot write %s\n", argv[2]);
    return 2;
  }
  std::printf("%u %u\n", width, height);
  return 0;
}
