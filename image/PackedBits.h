// Pixels below 8 bits sit in a byte string most significant bit first, one after another.
#pragma once

#include <cstdint>

namespace PngImage {

// count (1..8) bits starting at bit position `bit`.
inline unsigned readPackedBits(const unsigned char* data, uint64_t bit, unsigned count) {
  unsigned value = 0;
  for (unsigned i = 0; i < count; ++i, ++bit)
    value = (value << 1) | ((data[bit >> 3] >> (7 - (bit & 7))) & 1u);
  return value;
}

// Writes count bits of value at bit position `bit`; the destination's bits there must be 0.
inline void orPackedBits(unsigned char* data, uint64_t bit, unsigned count, unsigned value) {
  for (unsigned i = 0; i < count; ++i, ++bit)
    if ((value >> (count - 1 - i)) & 1u)
      data[bit >> 3] |= static_cast<unsigned char>(0x80u >> (bit & 7));
}

}  // namespace PngImage
