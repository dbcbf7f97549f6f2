#pragma once

#include "dxblit/GLDevice.h"

namespace DXBlit {

// A GLDevice drawing into the native window (an HWND on Windows, a DXBlit::X11Drawable on X11).
// Owned by the caller, who ends it with release. Throws Exception on any failure, leaving nothing
// allocated.
GLDevice* createWindowDevice(void* window, GLDeviceOptions options = {});

}  // namespace DXBlit
