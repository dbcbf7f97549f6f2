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

constexpr float kValueScale = 64000.0f;
constexpr float kValueUnit = 1.5625e-5f;  // 1 / 64000 in single precision

}  // namespace Chunk
}  // namespace PlugCore
