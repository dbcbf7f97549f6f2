// The module's entry point. Windows exports it under three names through the .def file; the
// ELF build adds the aliases `main` and `MAIN` below.
#include "module/ModuleSetup.h"
#include "platform/CpuFeatures.h"
#include "plugcore/PluginEntry.h"

extern "C" QUORL_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
  Module::prepareInstances();
  return PlugCore::pluginMain(host, Platform::cpuHasSse2());
}

#if !defined(_WIN32)
// Older hosts look for `main` or `MAIN`. The assembler makes both aliases, so that the three names
// are one function (and C++ reserves `main`).
asm(".globl main\n.type main, @function\n.set main, VSTPluginMain\n"
    ".globl MAIN\n.type MAIN, @function\n.set MAIN, VSTPluginMain\n");
#endif
