// A host that quits with the editor open: exit() runs the module's own static teardown first,
// and only then the host's exit handlers, which close the editor and the effect. Usage:
// exit_with_editor_open MODULE (a VST 2.4 module or a VST 3 bundle). Exits 0 when the editor
// closed and the process ended cleanly; a crash in the teardown fails.
#include <X11/Xlib.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "PluginModule.h"

// Freed objects are spoilt and never handed out again (exported, so the module's deletes come
// here): whatever is used after its teardown reads garbage at once, not by luck.
void operator delete(void* p) noexcept {
  if (p) std::memset(p, 0xA5, malloc_usable_size(p));
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

Display* display = nullptr;
AEffect* effect = nullptr;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
  return effect->dispatcher(effect, opcode, 0, 0, ptr, 0);
}

// As a host's own global teardown does it, with its windows still up.
void closeAtExit() {
  if (!effect) return;
  dispatch(effEditClose);
  dispatch(effClose);
  effect = nullptr;
  XCloseDisplay(display);
  std::printf("editor closed at exit\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s MODULE\n", argv[0]);
    return 2;
  }
  display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  // Before the module loads: handlers registered earlier run later, after the module's.
  std::atexit(closeAtExit);
  // Never unloaded: a quitting host does not unload its plug-ins first.
  auto* module = new PluginModule;
  std::string error;
  if (!module->load(argv[1], error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  effect = module->create(hostCallback);
  if (!effect) return 1;
  const Window host =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 380, 260, 0, 0, 0);
  XMapWindow(display, host);
  XSync(display, False);
  if (dispatch(effEditOpen, reinterpret_cast<void*>(static_cast<uintptr_t>(host))) != 1) {
    std::fprintf(stderr, "the editor did not open\n");
    return 1;
  }
  for (int i = 0; i < 10; ++i) {
    dispatch(effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::exit(0);
}
