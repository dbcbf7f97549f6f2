// Instance creation behind the module's entry point.
#pragma once

#include "plugcore/VstAbi.h"

namespace PlugCore {

class Plug;

// Supplied by the effect: constructs the one effect this module carries, or throws.
Plug* createEffect(audioMasterCallback host);

// Builds an instance for the host: the effect when the processor has SSE2, otherwise, after
// telling the user, a NullPlug. Null when the storage cannot be had.
Plug* createInstance(audioMasterCallback host, bool processorHasSse2);

// The entry point's whole behaviour: null for a host that does not answer the version query.
AEffect* pluginMain(audioMasterCallback host, bool processorHasSse2);

extern const char* const kNoSse2Text;

}  // namespace PlugCore
