// The byte format of programs and banks as the host stores them: an 8-byte header and typed
// records, all little-endian.
#pragma once

#include <cstdint>

namespace PlugCore {
namespace Chunk {

constexpr uint32_t kMagic = 0x288C3D75;
constexpr int16_t kVersion = 5;
constexpr int kHeaderSize = 8;

enum RecordType : uint8_t {
  kValue = 0,    // parameter index, value x 64000
  kMapping = 1,  // parameter index, MIDI key
  kProgram = 2,  // program index, 24 name bytes; stores the current values into the program
  kCurrent = 3,  // program index: the current program, not recalled
  kName = 4,     // the plug-in the chunk was made by, 31 bytes
};

// Bytes after the type byte.
constexpr int kValueBytes = 3;
constexpr int kMappingBytes = 3;
constexpr int kProgramBytes = 25;
constexpr int kCurrentBytes = 1;
constexpr int kNameBytes = 31;

// The processing quality travels as a value record for an index no parameter has: readers from
// before the choice skip such records without a word, so a newer chunk loads into them whole. It
// is written only when the quality is not Normal, so every other chunk keeps its old bytes; its
// value field holds the Quality's number.
constexpr uint8_t kQualityIndex = 0xF0;

constexpr float kValueScale = 64000.0f;
constexpr float kValueUnit = 1.5625e-5f;  // 1 / 64000 in single precision

}  // namespace Chunk
}  // namespace PlugCore
