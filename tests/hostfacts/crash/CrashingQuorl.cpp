// Quorl as a host test needs it to misbehave: this module loads the real Linux module named by
// QUORL_CRASH_REAL_MODULE and hands the host its effect, but the first processing call that sees
// a sample other than zero writes through a null pointer. The Ardour tests run it to prove that a
// crash inside the plug-in fails them, however often Ardour's own crashes are retried.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "plugcore/VstAbi.h"

namespace {

AEffectProcessProc realProcess = nullptr;
AEffectProcessDoubleProc realProcessDouble = nullptr;

template <typename Sample>
bool heardSomething(Sample** inputs, VstInt32 channels, VstInt32 frames) {
  for (VstInt32 c = 0; c < channels; ++c)
    for (VstInt32 i = 0; i < frames; ++i)
      if (inputs[c][i] != 0) return true;
  return false;
}

// A pointer the compiler cannot see is null, so the write stays as a bug would leave it.
int* volatile nowhere = nullptr;

[[gnu::noinline]] void crashInThePlugin() { *nowhere = 1; }

void process(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (heardSomething(inputs, effect->numInputs, frames)) crashInThePlugin();
  realProcess(effect, inputs, outputs, frames);
}

void processDouble(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  if (heardSomething(inputs, effect->numInputs, frames)) crashInThePlugin();
  realProcessDouble(effect, inputs, outputs, frames);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  const char* path = std::getenv("QUORL_CRASH_REAL_MODULE");
  void* module = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  auto entry =
      module ? reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain")) : nullptr;
  if (!entry) {
    std::fprintf(stderr, "crashing Quorl: cannot load the real module (%s)\n",
                 path ? dlerror() : "QUORL_CRASH_REAL_MODULE is not set");
    return nullptr;
  }
  AEffect* effect = entry(host);
  if (!effect) return nullptr;
  realProcess = effect->processReplacing;
  realProcessDouble = effect->processDoubleReplacing;
  effect->processReplacing = process;
  if (realProcessDouble) effect->processDoubleReplacing = processDouble;
  return effect;
}
