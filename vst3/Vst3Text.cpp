#include "vst3/Vst3Text.h"

#include <string>

#include "text/TextEncoding.h"

namespace Vst3Glue {

void copyText(Vst3::TChar* to, size_t capacity, const char* from) {
  size_t n = 0;
  if (from) {
    for (char32_t c : Mintwerk::decodeText(from)) {
      const size_t units = c > 0xFFFF ? 2 : 1;
      if (n + units + 1 > capacity) break;
      if (units == 2) {
        c -= 0x10000;
        to[n++] = static_cast<Vst3::TChar>(0xD800 + (c >> 10));
        to[n++] = static_cast<Vst3::TChar>(0xDC00 + (c & 0x3FF));
      } else {
        to[n++] = static_cast<Vst3::TChar>(c);
      }
    }
  }
  if (capacity > 0) to[n] = 0;
}

void narrowText(char* to, size_t capacity, const Vst3::TChar* from) {
  std::u32string text;
  for (size_t i = 0; from && from[i]; ++i) {
    char32_t c = from[i];
    const bool high = c >= 0xD800 && c < 0xDC00;
    if (high && from[i + 1] >= 0xDC00 && from[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (from[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // half a pair
    }
    text.push_back(c);
  }
  size_t n = 0;
  for (char32_t c : text) {
    const std::string bytes = Mintwerk::encodeUtf8(std::u32string(1, c));
    if (n + bytes.size() + 1 > capacity) break;
    for (char b : bytes) to[n++] = b;
  }
  if (capacity > 0) to[n] = 0;
}

}  // namespace Vst3Glue
