#pragma once

#include <cstddef>
#include <cstring>

namespace PlugCore {

// Copies a zero-terminated text into a buffer of `capacity` bytes, cutting it if needed; the
// result is always terminated. A null source copies as the empty text.
inline void copyText(char* destination, const char* source, std::size_t capacity) {
  if (!destination || capacity == 0) return;
  std::size_t length = source ? std::strlen(source) : 0;
  if (length >= capacity) length = capacity - 1;
  if (length) std::memcpy(destination, source, length);
  destination[length] = 0;
}

}  // namespace PlugCore
