#pragma once

#include <cstdint>

namespace PlugCore {

// The default effect identifier derived from a plug-in's name: hash = hash * 33 + byte, from 5381,
// in wrapping 32-bit arithmetic.
inline uint32_t djb2(const char* text) {
  uint32_t hash = 5381;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p && *p; ++p)
    hash = hash * 33u + *p;
  return hash;
}

}  // namespace PlugCore
