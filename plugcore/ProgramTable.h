// The fixed table of programs: a name and one stored normalized value per parameter each.
#pragma once

#include <cstdint>
#include <memory>

#include "plugcore/VstAbi.h"

namespace PlugCore {

struct Program {
  char name[kVstMaxProgNameLen] = {};  // always terminated within its 24 bytes
  std::unique_ptr<float[]> values;     // sign bits clear
};

class ProgramTable {
 public:
  // Every program starts with the given values and the name "Init <n>" (n from 1).
  ProgramTable(int32_t programCount, int32_t parameterCount, const float* initialValues);

  int32_t count() const { return programCount; }
  int32_t parameterCount() const { return paramCount; }
  bool isValid(int32_t index) const { return index >= 0 && index < programCount; }
  Program& operator[](int32_t index) { return programs[index]; }
  const Program& operator[](int32_t index) const { return programs[index]; }

 private:
  int32_t programCount;
  int32_t paramCount;
  std::unique_ptr<Program[]> programs;
};

}  // namespace PlugCore
