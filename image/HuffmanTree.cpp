#include "image/HuffmanTree.h"

#include "image/PngErrors.h"

namespace PngImage {

namespace {
constexpr unsigned kMaxCodeLength = 15;
}

int HuffmanTree::build(const unsigned char* lengths, unsigned alphabetSize) {
  alphabetSize_ = alphabetSize;
  slots_.assign(2 * static_cast<size_t>(alphabetSize), kEmpty);

  unsigned count[kMaxCodeLength + 1] = {};
  for (unsigned s = 0; s < alphabetSize; ++s) ++count[lengths[s]];
  count[0] = 0;
  // Codes still free at each length; going negative means the lengths cannot all be codes.
  long available = 1;
  for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
    available = available * 2 - count[len];
    if (available < 0) return PngError::kOverSubscribed;
  }

  unsigned nextCode[kMaxCodeLength + 1] = {};
  unsigned code = 0;
  for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
    code = (code + count[len - 1]) << 1;
    nextCode[len] = code;
  }

  unsigned nextPair = 1;
  for (unsigned symbol = 0; symbol < alphabetSize; ++symbol) {
    const unsigned len = lengths[symbol];
    if (len == 0) continue;
    const unsigned symbolCode = nextCode[len]++;
    unsigned pair = 0;
    for (unsigned bit = len - 1; bit > 0; --bit) {
      uint16_t& slot = slots_[2 * pair + ((symbolCode >> bit) & 1u)];
      if (slot == kEmpty) {
        if (nextPair >= alphabetSize) return PngError::kSparseTree;
        slot = static_cast<uint16_t>(alphabetSize + nextPair++);
      } else if (slot < alphabetSize) {
        return PngError::kOverSubscribed;  // a shorter code is a prefix of this one
      }
      pair = slot - alphabetSize;
    }
    uint16_t& leaf = slots_[2 * pair + (symbolCode & 1u)];
    if (leaf != kEmpty) return PngError::kOverSubscribed;
    leaf = static_cast<uint16_t>(symbol);
  }
  return 0;
}

int HuffmanTree::decode(BitReader& bits, unsigned& symbol) const {
  unsigned pair = 0;
  for (;;) {
    if (bits.atEnd()) return PngError::kEndInsideSymbol;
    const unsigned slot = slots_[2 * pair + bits.readBit()];
    if (slot < alphabetSize_) {
      symbol = slot;
      return 0;
    }
    pair = slot - alphabetSize_;
    if (pair >= alphabetSize_) return PngError::kLeftTree;  // also catches empty slots
  }
}

}  // namespace PngImage
