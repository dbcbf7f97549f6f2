// The format's 16-bit strings. The effect's texts are bytes; each byte becomes one character (ASCII
// stays ASCII, and nothing is lost on the way back).
#pragma once

#include <cstddef>

#include "vst3/Vst3Abi.h"

namespace Vst3Glue {

inline void copyText(Vst3::TChar* to, size_t capacity, const char* from) {
  size_t i = 0;
  for (; from && from[i] && i + 1 < capacity; ++i)
    to[i] = static_cast<Vst3::TChar>(static_cast<unsigned char>(from[i]));
  to[i] = 0;
}

template <size_t N>
void copyText(Vst3::TChar (&to)[N], const char* from) {
  copyText(to, N, from);
}

template <size_t N>
void copyText(char (&to)[N], const char* from) {
  size_t i = 0;
  for (; from && from[i] && i + 1 < N; ++i) to[i] = from[i];
  to[i] = 0;
}

// Characters above one byte become '?'.
inline void narrowText(char* to, size_t capacity, const Vst3::TChar* from) {
  size_t i = 0;
  for (; from && from[i] && i + 1 < capacity; ++i)
    to[i] = from[i] < 256 ? static_cast<char>(from[i]) : '?';
  to[i] = 0;
}

}  // namespace Vst3Glue
