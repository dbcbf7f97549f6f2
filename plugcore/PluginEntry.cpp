#include "plugcore/PluginEntry.h"

#include "platform/MessageBox.h"
#include "plugcore/NullPlug.h"

namespace PlugCore {

const char* const kNoSse2Text =
    "This plugin requires SSE2, which your CPU doesn't support.\n"
    "Unfortunately you will need a more recent system. Sorry.";

Plug* createInstance(audioMasterCallback host, bool processorHasSse2) {
  if (processorHasSse2) return createEffect(host);
  Platform::messageBox(kNoSse2Text, "Error", Platform::kMbTaskModal | Platform::kMbIconError);
  return new (std::nothrow) NullPlug(host);
}

AEffect* pluginMain(audioMasterCallback host, bool processorHasSse2) {
  if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  Plug* instance = createInstance(host, processorHasSse2);
  return instance ? instance->getAeffect() : nullptr;
}

}  // namespace PlugCore
