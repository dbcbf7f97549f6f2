#include "dxblit/GLCheck.h"

#include <cstdio>

#include "dxblit/Exception.h"
#include "platform/DebugOutput.h"

namespace DXBlit {

void glCheckFailed(int code) {
  char line[123];
  std::snprintf(line, sizeof line,
                "Harrowmint GL: check failed at line %d (please report this bug).\r\n", code);
  Platform::debugOutput(line);
  throw Exception();
}

}  // namespace DXBlit
