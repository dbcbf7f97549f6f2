// The module's entry point. Windows exports it under three names through the .def file; the
// ELF build adds the aliases `main` and `MAIN` below.
#include "platform/CpuFeatures.h"
#include "plugcore/PluginEntry.h"
#if !defined(_WIN32)
#include "gui/native/x11/X11MessageBox.h"
#endif

#if defined(_WIN32)
#define QUORL_EXPORT
#else
#define QUORL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" QUORL_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
#if !defined(_WIN32)
  // The chunk reader's and the defaults' questions are our own X11 boxes.
  Mintwerk::useX11MessageBoxes();
#endif
  return PlugCore::pluginMain(host, Platform::cpuHasSse2());
}

#if !defined(_WIN32)
// Older hosts look for `main` or `MAIN`. The assembler makes both aliases, so that the three names
// are one function (and C++ reserves `main`).
asm(".globl main\n.type main, @function\n.set main, VSTPluginMain\n"
    ".globl MAIN\n.type MAIN, @function\n.set MAIN, VSTPluginMain\n");
#endif
