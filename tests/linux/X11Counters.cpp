// Counts the display connections and GL contexts the process makes and ends, by standing in
// front of Xlib's and GLX's own entry points (the program exports these, so the plug-in's calls
// arrive here first) and passing every call on.
#include "X11Counters.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <atomic>

namespace {
std::atomic<int> openDisplays{0};
std::atomic<int> liveContexts{0};

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
}  // namespace

int liveDisplayConnections() { return openDisplays.load(); }
int liveGlContexts() { return liveContexts.load(); }

extern "C" {

Display* XOpenDisplay(const char* name) {
  static auto real = next<Display* (*)(const char*)>("XOpenDisplay");
  Display* display = real(name);
  if (display) ++openDisplays;
  return display;
}

int XCloseDisplay(Display* display) {
  static auto real = next<int (*)(Display*)>("XCloseDisplay");
  --openDisplays;
  return real(display);
}

GLXContext glXCreateNewContext(Display* display, GLXFBConfig config, int type, GLXContext share,
                               Bool direct) {
  static auto real =
      next<GLXContext (*)(Display*, GLXFBConfig, int, GLXContext, Bool)>("glXCreateNewContext");
  GLXContext context = real(display, config, type, share, direct);
  if (context) ++liveContexts;
  return context;
}

GLXContext glXCreateContext(Display* display, XVisualInfo* visual, GLXContext share, Bool direct) {
  static auto real =
      next<GLXContext (*)(Display*, XVisualInfo*, GLXContext, Bool)>("glXCreateContext");
  GLXContext context = real(display, visual, share, direct);
  if (context) ++liveContexts;
  return context;
}

void glXDestroyContext(Display* display, GLXContext context) {
  static auto real = next<void (*)(Display*, GLXContext)>("glXDestroyContext");
  if (context) --liveContexts;
  real(display, context);
}

}  // extern "C"
