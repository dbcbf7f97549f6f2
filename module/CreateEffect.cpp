// The effect this module carries.
#include "effect/Quorl.h"
#include "plugcore/PluginEntry.h"

PlugCore::Plug* PlugCore::createEffect(audioMasterCallback host) {
  return new (std::nothrow) Quorl(host);
}
