// The module's entry point. Windows exports it under three names through the .def file; the
// ELF build adds the alias `main` below.
#include "platform/CpuFeatures.h"
#include "plugcore/PluginEntry.h"

#if defined(_WIN32)
#define QUORL_EXPORT
#else
#define QUORL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" QUORL_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
  return PlugCore::pluginMain(host, Platform::cpuHasSse2());
}

#if !defined(_WIN32)
// Older hosts look for `main`; C++ reserves that name, so the alias is made by the assembler.
asm(".globl main\n.type main, @function\n.set main, VSTPluginMain\n");
#endif
