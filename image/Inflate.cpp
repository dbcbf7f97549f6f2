#include "image/Inflate.h"

#include <cstdint>

#include "image/BitReader.h"
#include "image/HuffmanTree.h"
#include "image/PngErrors.h"

namespace PngImage {

namespace {

constexpr unsigned kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr unsigned kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr unsigned kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr unsigned kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr unsigned char kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kLastLengthSymbol = 285;
constexpr unsigned kDistanceSymbols = 30;

// The inflated bytes. The first `keep` of them are kept, growing by doubling (plus 2, so that it
// starts at all) but never past `keep`. What comes after is still decoded, so the stream is
// checked to its end, but only counted: those bytes are dropped, and a match among them only
// ever copies dropped bytes. However much a stream claims, memory stays within `keep`.
class Output {
 public:
  Output(std::vector<unsigned char>& buffer, size_t keep) : buffer_(buffer), keep_(keep) {
    buffer_.clear();
  }

  uint64_t size() const { return size_; }

  void push(unsigned char byte) {
    if (size_ < keep_) {
      if (size_ == buffer_.size()) grow();
      buffer_[static_cast<size_t>(size_)] = byte;
    }
    ++size_;
  }

  // Byte by byte, so that a distance shorter than the length repeats what it just wrote. The
  // caller has checked that the distance stays within what was produced.
  void copyMatch(size_t distance, unsigned length) {
    unsigned i = 0;
    for (; i < length && size_ < keep_; ++i) push(buffer_[static_cast<size_t>(size_ - distance)]);
    size_ += length - i;
  }

  void finish() { buffer_.resize(static_cast<size_t>(size_ < keep_ ? size_ : keep_)); }

 private:
  void grow() {
    size_t next = buffer_.size() * 2 + 2;
    if (next > keep_) next = keep_;
    buffer_.resize(next);
  }

  std::vector<unsigned char>& buffer_;
  size_t keep_;
  uint64_t size_ = 0;
};

int copyStored(BitReader& bits, Output& out) {
  bits.alignToByte();
  if (bits.byteLength() - bits.bytePosition() < 4) return PngError::kBlockPastEnd;
  const unsigned char* header = bits.bytesAt();
  const unsigned length = header[0] | (header[1] << 8);
  const unsigned check = header[2] | (header[3] << 8);
  if (length + check != 65535) return PngError::kStoredLengthCheck;
  bits.skipBytes(4);
  if (length > bits.byteLength() - bits.bytePosition()) return PngError::kStoredPastEnd;
  const unsigned char* data = bits.bytesAt();
  for (unsigned i = 0; i < length; ++i) out.push(data[i]);
  bits.skipBytes(length);
  return 0;
}

int buildFixedTrees(HuffmanTree& literals, HuffmanTree& distances) {
  unsigned char lengths[288];
  for (unsigned s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  if (int error = literals.build(lengths, 288)) return error;
  for (unsigned s = 0; s < 32; ++s) lengths[s] = 5;
  return distances.build(lengths, 32);
}

// Reads a dynamic block's code lengths (themselves Huffman coded) and builds its two trees.
int readDynamicTrees(BitReader& bits, HuffmanTree& literals, HuffmanTree& distances) {
  if (bits.byteLength() - bits.bytePosition() < 3) return PngError::kDynamicHeaderShort;
  const unsigned literalCount = bits.readBits(5) + 257;
  const unsigned distanceCount = bits.readBits(5) + 1;
  const unsigned codeLengthCount = bits.readBits(4) + 4;

  unsigned char codeLengthLengths[19] = {};
  for (unsigned i = 0; i < codeLengthCount; ++i)
    codeLengthLengths[kCodeLengthOrder[i]] = static_cast<unsigned char>(bits.readBits(3));
  HuffmanTree codeLengthTree;
  if (int error = codeLengthTree.build(codeLengthLengths, 19)) return error;

  unsigned char lengths[288 + 32] = {};
  const unsigned total = literalCount + distanceCount;
  unsigned i = 0;
  while (i < total) {
    unsigned symbol = 0;
    if (int error = codeLengthTree.decode(bits, symbol)) return error;
    if (symbol <= 15) {
      lengths[i++] = static_cast<unsigned char>(symbol);
      continue;
    }
    unsigned char value = 0;
    unsigned countBits, repeat;
    int pastEnd;
    if (symbol == 16) {
      if (i == 0) return PngError::kRepeatWithoutPrevious;
      value = lengths[i - 1];
      countBits = 2, repeat = 3, pastEnd = PngError::kRepeatPastEnd16;
    } else if (symbol == 17) {
      countBits = 3, repeat = 3, pastEnd = PngError::kRepeatPastEnd17;
    } else if (symbol == 18) {
      countBits = 7, repeat = 11, pastEnd = PngError::kRepeatPastEnd18;
    } else {
      return PngError::kBadCodeLengthSymbol;
    }
    if (!bits.hasBits(countBits)) return PngError::kEndBeforeRepeatCount;
    repeat += bits.readBits(countBits);
    for (unsigned r = 0; r < repeat; ++r) {
      if (i >= total) return pastEnd;
      lengths[i++] = value;
    }
  }

  if (lengths[kEndOfBlock] == 0) return PngError::kNoEndOfBlockCode;
  if (int error = literals.build(lengths, literalCount)) return error;
  return distances.build(lengths + literalCount, distanceCount);
}

int inflateCodes(BitReader& bits, Output& out, const HuffmanTree& literals,
                 const HuffmanTree& distances) {
  for (;;) {
    unsigned symbol = 0;
    if (int error = literals.decode(bits, symbol)) return error;
    if (symbol < kEndOfBlock) {
      out.push(static_cast<unsigned char>(symbol));
      continue;
    }
    if (symbol == kEndOfBlock) return 0;
    if (symbol > kLastLengthSymbol) continue;  // 286 and 287 stand for nothing

    const unsigned lengthIndex = symbol - 257;
    if (!bits.hasBits(kLengthExtra[lengthIndex])) return PngError::kEndBeforeExtraBits;
    const unsigned length = kLengthBase[lengthIndex] + bits.readBits(kLengthExtra[lengthIndex]);

    unsigned distanceSymbol = 0;
    if (int error = distances.decode(bits, distanceSymbol)) return error;
    if (distanceSymbol >= kDistanceSymbols) return PngError::kBadDistanceSymbol;
    if (!bits.hasBits(kDistanceExtra[distanceSymbol])) return PngError::kEndBeforeExtraBits;
    const size_t distance =
        kDistanceBase[distanceSymbol] + bits.readBits(kDistanceExtra[distanceSymbol]);
    if (distance > out.size()) return PngError::kDistanceBeforeStart;
    out.copyMatch(distance, length);
  }
}

int inflateBlocks(BitReader& bits, Output& out) {
  HuffmanTree fixedLiterals, fixedDistances, literals, distances;
  bool fixedBuilt = false;
  bool finalBlock = false;
  while (!finalBlock) {
    if (bits.atEnd()) return PngError::kBlockPastEnd;
    finalBlock = bits.readBit() != 0;
    const unsigned type = bits.readBits(2);
    int error = 0;
    if (type == 0) {
      error = copyStored(bits, out);
    } else if (type == 1) {
      if (!fixedBuilt) {
        if ((error = buildFixedTrees(fixedLiterals, fixedDistances))) return error;
        fixedBuilt = true;
      }
      error = inflateCodes(bits, out, fixedLiterals, fixedDistances);
    } else if (type == 2) {
      error = readDynamicTrees(bits, literals, distances);
      if (!error) error = inflateCodes(bits, out, literals, distances);
    } else {
      error = PngError::kReservedBlockType;
    }
    if (error) return error;
  }
  return 0;
}

}  // namespace

int inflate(std::vector<unsigned char>& out, const unsigned char* in, size_t length, size_t keep) {
  BitReader bits(in, length);
  Output output(out, keep);
  const int error = inflateBlocks(bits, output);
  output.finish();
  return error;
}

int zlibDecompress(std::vector<unsigned char>& out, const unsigned char* in, size_t length,
                   size_t keep) {
  if (length < 2) return PngError::kZlibTooShort;
  if ((in[0] * 256u + in[1]) % 31 != 0) return PngError::kZlibCheck;
  const unsigned method = in[0] & 15u, windowBits = in[0] >> 4;
  if (method != 8 || windowBits >= 8) return PngError::kZlibMethod;
  if (in[1] & 0x20u) return PngError::kZlibDictionary;
  return inflate(out, in + 2, length - 2, keep);
}

}  // namespace PngImage
