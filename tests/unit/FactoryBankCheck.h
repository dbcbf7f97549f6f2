// What a host finds in a fresh instance of the real module, on either system: the parameter
// table's own values, the sixteen factory presets by name, the very bank the module carries, and
// no preset that clips a mix peaking at -1 dBFS.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ProgramMaterial.h"
#include "plugcore/VstAbi.h"

inline std::vector<std::string> factoryPresetNames(const char* sourcePath) {
  std::ifstream source(sourcePath);
  std::vector<std::string> names;
  for (std::string line; std::getline(source, line);)
    if (!line.empty() && line[0] == '[') names.push_back(line.substr(1, line.find(']') - 1));
  return names;
}

// `makeEffect` gives a fresh instance from the module's entry, which the check closes.
inline void checkFactoryBank(const std::function<AEffect*()>& makeEffect, const char* sourcePath,
                             const char* bankPath) {
  AEffect* effect = makeEffect();
  ASSERT_NE(effect, nullptr);
  auto dispatch = [&effect](VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  };
  const std::vector<std::string> names = factoryPresetNames(sourcePath);
  ASSERT_EQ(names.size(), 16u);
  ASSERT_EQ(effect->numPrograms, 16);
  for (VstInt32 p = 0; p < 16; ++p) {
    char name[64] = {};
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, p, -1, name), 1);
    EXPECT_EQ(std::string(name), names[static_cast<std::size_t>(p)]);
  }

  // A new instance starts exactly at the parameter table: its program chunk is the table's
  // values, unity gain, and nothing learnt.
  const float table[8] = {0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.5f, 0.0f};
  for (VstInt32 i = 0; i < 8; ++i) EXPECT_EQ(effect->getParameter(effect, i), table[i]) << i;
  const uint8_t freshProgram[72] = {
      0x75, 0x3D, 0x8C, 0x28, 0x05, 0x00, 0x00, 0x00, 0x04, 'Q',  'u',  'o',  'r',  'l',  0,
      0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
      0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x00, 0x00, 0x00, 0x00, 0x00,
      0x01, 0x00, 0xFA, 0x00, 0x02, 0x00, 0x7D, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00,
      0x00, 0x05, 0x00, 0xFA, 0x00, 0x06, 0x00, 0x7D, 0x00, 0x07, 0x00, 0x00};
  void* program = nullptr;
  ASSERT_EQ(dispatch(effGetChunk, 1, 0, &program), 72);
  EXPECT_EQ(std::memcmp(program, freshProgram, 72), 0);

  // The whole state of a new instance is the bank's chunk, byte for byte: its programs, the
  // first of them current, no controller mapped.
  std::ifstream file(bankPath, std::ios::binary);
  const std::vector<uint8_t> bank((std::istreambuf_iterator<char>(file)), {});
  ASSERT_GT(bank.size(), 160u);
  void* chunk = nullptr;
  const VstIntPtr size = dispatch(effGetChunk, 0, 0, &chunk);
  ASSERT_EQ(static_cast<std::size_t>(size), bank.size() - 160);
  EXPECT_EQ(std::memcmp(chunk, bank.data() + 160, bank.size() - 160), 0);

  dispatch(effClose, 0, 0, nullptr);

  // Four seconds of a mix peaking at -1 dBFS through each preset, in an instance of its own (so
  // no glide from another preset comes into it): finite, and no sample above -0.3 dBFS.
  constexpr VstInt32 kBlock = 512, kBlocks = 344;
  const Audio music = programMaterial(44100, kBlock * kBlocks, 0.891251);
  std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  float* inputs[2] = {inL.data(), inR.data()};
  float* outputs[2] = {outL.data(), outR.data()};
  for (VstInt32 p = 0; p < 16; ++p) {
    effect = makeEffect();
    ASSERT_NE(effect, nullptr);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, kBlock, nullptr);
    dispatch(effSetProgram, 0, p, nullptr);
    dispatch(effMainsChanged, 0, 1, nullptr);
    float peak = 0.0f;
    bool finite = true;
    for (VstInt32 b = 0; b < kBlocks; ++b) {
      for (VstInt32 i = 0; i < kBlock; ++i) {
        inL[i] = static_cast<float>(music.channels[0][b * kBlock + i]);
        inR[i] = static_cast<float>(music.channels[1][b * kBlock + i]);
      }
      effect->processReplacing(effect, inputs, outputs, kBlock);
      for (VstInt32 i = 0; i < kBlock; ++i)
        for (float v : {outL[i], outR[i]}) {
          finite = finite && std::isfinite(v);
          peak = std::fmax(peak, std::fabs(v));
        }
    }
    dispatch(effMainsChanged, 0, 0, nullptr);
    dispatch(effClose, 0, 0, nullptr);
    EXPECT_TRUE(finite) << names[static_cast<std::size_t>(p)];
    EXPECT_LE(peak, 0.966f) << names[static_cast<std::size_t>(p)] << " peaks at "
                            << 20.0 * std::log10(peak) << " dBFS";
  }
}
