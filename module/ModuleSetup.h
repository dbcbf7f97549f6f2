// What every module of the effect shares at its entry points: how a symbol is exported, and what
// is set up before the first instance is made.
#pragma once

#if !defined(_WIN32)
#include "gui/native/x11/X11MessageBox.h"
#endif

#if defined(_WIN32)
#define QUORL_EXPORT
#else
#define QUORL_EXPORT __attribute__((visibility("default")))
#endif

namespace Module {

inline void prepareInstances() {
#if !defined(_WIN32)
  // The chunk reader's and the defaults' questions are our own X11 boxes.
  Mintwerk::useX11MessageBoxes();
#endif
}

}  // namespace Module
