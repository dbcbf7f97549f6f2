#include "PngBuilder.h"

namespace {

void putBE32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<unsigned char>(v >> shift));
}

uint32_t crc32(const unsigned char* data, size_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

uint32_t adler32(const Bytes& data) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : data) a = (a + c) % 65521, b = (b + a) % 65521;
  return (b << 16) | a;
}

}  // namespace

void BitWriter::bits(unsigned value, unsigned count) {
  for (unsigned i = 0; i < count; ++i, ++count_) {
    if (count_ % 8 == 0) bytes_.push_back(0);
    bytes_.back() |= static_cast<unsigned char>(((value >> i) & 1u) << (count_ % 8));
  }
}

void BitWriter::code(unsigned code, unsigned length) {
  for (unsigned i = length; i-- > 0;) bits((code >> i) & 1u, 1);
}

void BitWriter::fixedLiteral(unsigned s) {
  if (s < 144)
    code(0x30 + s, 8);
  else if (s < 256)
    code(0x190 + s - 144, 9);
  else if (s < 280)
    code(s - 256, 7);
  else
    code(0xC0 + s - 280, 8);
}

Bytes ihdr(uint32_t width, uint32_t height, unsigned depth, unsigned colourType,
           unsigned interlace) {
  Bytes data;
  putBE32(data, width);
  putBE32(data, height);
  for (unsigned b : {depth, colourType, 0u, 0u, interlace})
    data.push_back(static_cast<unsigned char>(b));
  return data;
}

void appendChunk(Bytes& png, const std::string& type, const Bytes& data) {
  putBE32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  putBE32(png, crc32(png.data() + start, png.size() - start));
}

Bytes makePng(const Bytes& header, const std::vector<std::pair<std::string, Bytes>>& chunks) {
  Bytes png = {137, 80, 78, 71, 13, 10, 26, 10};
  appendChunk(png, "IHDR", header);
  for (const auto& chunk : chunks) appendChunk(png, chunk.first, chunk.second);
  appendChunk(png, "IEND", {});
  return png;
}

Bytes zlibStored(const Bytes& raw, bool goodAdler) {
  Bytes out = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    out.push_back(pos + n == raw.size() ? 1 : 0);
    out.push_back(n & 0xFF), out.push_back(n >> 8);
    out.push_back(~n & 0xFF), out.push_back((~n >> 8) & 0xFF);
    out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  putBE32(out, adler32(raw) ^ (goodAdler ? 0 : 0x01010101u));
  return out;
}

Bytes zlibWrap(const Bytes& deflate) {
  Bytes out = {0x78, 0x01};
  out.insert(out.end(), deflate.begin(), deflate.end());
  return out;
}
