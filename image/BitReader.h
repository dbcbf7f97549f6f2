// Reads a deflate stream's bits least significant first, as deflate packs them. Never reads
// outside its bytes: the inflater asks hasBits() first where running out has an error of its own,
// and a read past the end elsewhere yields zero bits.
#pragma once

#include <cstddef>

namespace PngImage {

class BitReader {
 public:
  BitReader(const unsigned char* data, size_t length) : data_(data), bitLength_(length * 8) {}

  bool hasBits(size_t count) const { return count <= bitLength_ - position_; }
  bool atEnd() const { return position_ >= bitLength_; }
  size_t position() const { return position_; }
  size_t bytePosition() const { return position_ / 8; }
  size_t byteLength() const { return bitLength_ / 8; }

  unsigned readBit() {
    if (atEnd()) return 0;
    const unsigned bit = (data_[position_ >> 3] >> (position_ & 7)) & 1u;
    ++position_;
    return bit;
  }

  // Up to 16 bits, the first read landing in the lowest bit of the result.
  unsigned readBits(unsigned count) {
    unsigned value = 0;
    for (unsigned i = 0; i < count; ++i) value |= readBit() << i;
    return value;
  }

  void alignToByte() {
    position_ = (position_ + 7) & ~static_cast<size_t>(7);
    if (position_ > bitLength_) position_ = bitLength_;
  }

  // Whole bytes only; the caller has aligned and checked the count.
  const unsigned char* bytesAt() const { return data_ + position_ / 8; }
  void skipBytes(size_t count) { position_ += count * 8; }

 private:
  const unsigned char* data_;
  size_t bitLength_;
  size_t position_ = 0;
};

}  // namespace PngImage
