// The module's entry points: the factory, and the load and unload calls hosts make around it.
#include "module/ModuleSetup.h"
#include "vst3/Factory.h"

extern "C" {

QUORL_EXPORT Vst3::IPluginFactory* GetPluginFactory() {
  Module::prepareInstances();
  return Vst3Glue::moduleFactory();
}

#if defined(_WIN32)
QUORL_EXPORT bool InitDll() { return true; }
QUORL_EXPORT bool ExitDll() { return true; }
#else
QUORL_EXPORT bool ModuleEntry(void*) { return true; }
QUORL_EXPORT bool ModuleExit() { return true; }
#endif
}
