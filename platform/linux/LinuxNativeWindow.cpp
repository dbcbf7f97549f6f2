#include "gui/NativeWindow.h"

namespace Mintwerk {

// No window layer here yet: the Linux plug-in has no editor.
NativeWindowFactory platformWindowFactory() { return nullptr; }

}  // namespace Mintwerk
