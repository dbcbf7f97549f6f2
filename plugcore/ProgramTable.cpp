#include "plugcore/ProgramTable.h"

#include <cmath>
#include <cstdio>

namespace PlugCore {

ProgramTable::ProgramTable(int32_t programs, int32_t parameters, const float* initialValues)
    : programCount(programs > 0 ? programs : 0),
      paramCount(parameters > 0 ? parameters : 0),
      programs(new Program[programCount]) {
  for (int32_t p = 0; p < programCount; ++p) {
    Program& program = this->programs[p];
    program.values.reset(new float[paramCount]);
    for (int32_t i = 0; i < paramCount; ++i) program.values[i] = std::fabs(initialValues[i]);
    std::snprintf(program.name, sizeof program.name, "Init %d", static_cast<int>(p + 1));
  }
}

}  // namespace PlugCore
