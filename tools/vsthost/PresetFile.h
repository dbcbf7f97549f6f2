// Program (.fxp) and bank (.fxb) preset files as bytes and in memory. Every header field is a
// 32-bit big-endian number; decoding checks each size against the bytes at hand, so a damaged
// file gives a message, never a read outside the buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugcore/VstAbi.h"

constexpr uint32_t kPresetMagic = 0x43636E4B;    // 'CcnK'
constexpr uint32_t kProgramParams = 0x4678436B;  // 'FxCk': one program as parameter values
constexpr uint32_t kProgramChunk = 0x46504368;   // 'FPCh': one program as the plug-in's chunk
constexpr uint32_t kBankParams = 0x4678426B;     // 'FxBk': every program as parameter values
constexpr uint32_t kBankChunk = 0x46424368;      // 'FBCh': every program as the plug-in's chunk

// The program name field holds 28 bytes.
constexpr size_t kPresetNameBytes = 28;

struct PresetProgram {
  std::string name;
  std::vector<float> params;
};

struct PresetFile {
  uint32_t fxMagic = kProgramParams;
  VstInt32 formatVersion = 1;
  VstInt32 uniqueId = 0;
  VstInt32 pluginVersion = 0;
  // Parameters of a program file, programs of a bank. Written as is for the chunk forms; the
  // value lists decide it for the others.
  VstInt32 count = 0;
  // Kept in the reserved bytes of a bank from format version 2 on.
  VstInt32 currentProgram = 0;
  PresetProgram program;                // program files: the name, and FxCk's values
  std::vector<PresetProgram> programs;  // FxBk
  std::vector<uint8_t> chunk;           // FPCh and FBCh
};

inline bool isBank(uint32_t fxMagic) { return fxMagic == kBankParams || fxMagic == kBankChunk; }
inline bool isChunk(uint32_t fxMagic) { return fxMagic == kProgramChunk || fxMagic == kBankChunk; }

// "FxCk", "FPCh", "FxBk" or "FBCh"; "?" for anything else.
const char* presetKindName(uint32_t fxMagic);

// False (with the reason) only when the contents outgrow the 32-bit size fields.
bool encodePreset(const PresetFile& preset, std::vector<uint8_t>& bytes, std::string& error);

// Reads the first `byteSize + 8` bytes; anything after them is ignored. On failure `error` says
// exactly what does not fit, in words a user can act on.
bool decodePreset(const std::vector<uint8_t>& bytes, PresetFile& preset, std::string& error);
