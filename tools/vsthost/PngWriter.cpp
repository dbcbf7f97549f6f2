#include "PngWriter.h"

#include <algorithm>
#include <array>

#include "ByteOrder.h"

namespace {

constexpr size_t kMaxStoredBlock = 65535;
// Below 2^31 so every chunk length fits; far above any window a plug-in opens.
constexpr uint64_t kMaxImageBytes = uint64_t(1) << 30;

uint32_t crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

// Length, type, data, and the CRC over type and data.
void appendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  appendBigU32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  appendBigU32(out, crc32(&out[start], out.size() - start));
}

// A zlib stream of stored deflate blocks; LEN and NLEN are the only little-endian fields.
std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};  // deflate, 32 KiB window; 0x7801 is a multiple of 31
  size_t pos = 0;
  do {
    const size_t size = std::min(kMaxStoredBlock, raw.size() - pos);
    out.push_back(pos + size == raw.size() ? 1 : 0);  // BFINAL on the last, BTYPE 00
    appendU16(out, static_cast<uint16_t>(size));
    appendU16(out, static_cast<uint16_t>(~size));
    out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + size);
    pos += size;
  } while (pos < raw.size());
  appendBigU32(out, adler32(raw));
  return out;
}

}  // namespace

std::vector<uint8_t> encodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
  const uint64_t rowBytes = uint64_t(width) * 3;
  if (width == 0 || height == 0 || (rowBytes + 1) * height > kMaxImageBytes ||
      rgb.size() != rowBytes * height)
    return {};

  std::vector<uint8_t> header;
  appendBigU32(header, width);
  appendBigU32(header, height);
  // Bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
  header.insert(header.end(), {8, 2, 0, 0, 0});

  // Every row starts with filter type 0, so the pixels go in as they are.
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgb.begin() + y * rowBytes, rgb.begin() + (y + 1) * rowBytes);
  }

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendChunk(out, "IHDR", header);
  appendChunk(out, "IDAT", zlibStored(raw));
  appendChunk(out, "IEND", {});
  return out;
}
