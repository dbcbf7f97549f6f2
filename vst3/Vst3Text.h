// The format's 16-bit strings. The effect's texts are bytes that its own text layer reads as UTF-8
// when they are valid UTF-8 (and as Windows-1252 otherwise); the host gets those characters in
// UTF-16, and what it types comes back as UTF-8.
#pragma once

#include <cstddef>

#include "vst3/Vst3Abi.h"

namespace Vst3Glue {

void copyText(Vst3::TChar* to, size_t capacity, const char* from);

template <size_t N>
void copyText(Vst3::TChar (&to)[N], const char* from) {
  copyText(to, N, from);
}

// The byte strings of the factory's records: copied as they are, cut to fit.
template <size_t N>
void copyText(char (&to)[N], const char* from) {
  size_t i = 0;
  for (; from && from[i] && i + 1 < N; ++i) to[i] = from[i];
  to[i] = 0;
}

// UTF-16 to UTF-8, cut to fit at a character's end.
void narrowText(char* to, size_t capacity, const Vst3::TChar* from);

}  // namespace Vst3Glue
