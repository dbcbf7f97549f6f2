// The module's one factory: it makes the effect's component, and says what it is.
#pragma once

#include "vst3/Vst3Abi.h"

namespace Vst3Glue {

Vst3::IPluginFactory* moduleFactory();

}  // namespace Vst3Glue
