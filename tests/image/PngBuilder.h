// Hand-made PNG bytes for the tests: chunks, zlib wrappers and deflate bit streams written bit by
// bit, so that each broken case is exactly the break it names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Deflate's bit order: plain values least significant bit first, Huffman codes most significant
// bit first.
class BitWriter {
 public:
  void bits(unsigned value, unsigned count);
  void code(unsigned code, unsigned length);
  void fixedLiteral(unsigned symbol);  // literal/length symbol in the fixed code
  size_t bitCount() const { return count_; }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  size_t count_ = 0;
};

Bytes ihdr(uint32_t width, uint32_t height, unsigned depth, unsigned colourType,
           unsigned interlace = 0);
void appendChunk(Bytes& png, const std::string& type, const Bytes& data);
// Signature, then IHDR, then each (type, data) chunk, then IEND.
Bytes makePng(const Bytes& header, const std::vector<std::pair<std::string, Bytes>>& chunks);
// A zlib stream of stored blocks holding `raw`; the Adler-32 trailer is correct unless told.
Bytes zlibStored(const Bytes& raw, bool goodAdler = true);
// A zlib header (no dictionary, 32 KiB window) before the given deflate bytes; no trailer, so
// the deflate data runs to the end of the stream.
Bytes zlibWrap(const Bytes& deflate);
