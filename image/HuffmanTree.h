// A canonical Huffman code as a binary tree in a flat array: 2 slots per alphabet symbol, each slot
// either a symbol (below the alphabet size) or alphabetSize + the index of a child pair. Pair 0 is
// the root. Decoding walks it one bit at a time; slow, but small and easy to check.
#pragma once

#include <cstdint>
#include <vector>

#include "image/BitReader.h"

namespace PngImage {

class HuffmanTree {
 public:
  // lengths[i] is symbol i's code length (0 = no code, at most 15). Returns 0 or an error number.
  int build(const unsigned char* lengths, unsigned alphabetSize);
  // Reads one code; 0 and the symbol, or an error number.
  int decode(BitReader& bits, unsigned& symbol) const;

 private:
  static constexpr uint16_t kEmpty = 32767;
  std::vector<uint16_t> slots_;
  unsigned alphabetSize_ = 0;
};

}  // namespace PngImage
