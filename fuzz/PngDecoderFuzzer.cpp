// Feeds arbitrary bytes to our PNG decoder, as RGBA and as raw image data (chosen by the last
// byte), and checks that a success delivers exactly the bytes the image's size promises.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read one byte past the end is caught.
  uint8_t* copy = size ? static_cast<uint8_t*>(std::malloc(size)) : nullptr;
  for (size_t i = 0; i < size; ++i) copy[i] = data[i];
  const bool rgba = size == 0 || (data[size - 1] & 1) == 0;

  std::vector<unsigned char> out;
  unsigned width = 0, height = 0;
  const int error = decodePngBuffer(out, width, height, copy, size, rgba);
  if (error == 0 && rgba && out.size() != uint64_t(width) * height * 4) std::abort();
  if (error != 0 && !out.empty()) std::abort();
  std::free(copy);
  return 0;
}
