// The module's entry points: the factory, and the load and unload calls hosts make around it.
#include "vst3/Factory.h"
#if !defined(_WIN32)
#include "gui/native/x11/X11MessageBox.h"
#endif

#if defined(_WIN32)
#define QUORL_EXPORT
#else
#define QUORL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

QUORL_EXPORT Vst3::IPluginFactory* GetPluginFactory() {
#if !defined(_WIN32)
  // The chunk reader's and the defaults' questions are our own X11 boxes.
  Mintwerk::useX11MessageBoxes();
#endif
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
