// Little-endian fields of WAV and raw files and big-endian ones of preset files, assembled byte by
// byte so the host reads the same numbers on any machine and never makes an unaligned load.
#pragma once

#include <cstdint>
#include <vector>

inline uint16_t loadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t loadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t loadU64(const uint8_t* p) {
  return static_cast<uint64_t>(loadU32(p)) | static_cast<uint64_t>(loadU32(p + 4)) << 32;
}

inline void appendU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void appendU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void appendU64(std::vector<uint8_t>& out, uint64_t v) {
  appendU32(out, static_cast<uint32_t>(v));
  appendU32(out, static_cast<uint32_t>(v >> 32));
}

inline uint32_t loadBigU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline void appendBigU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void storeBigU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
