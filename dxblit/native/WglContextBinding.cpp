// The GL context of a window through WGL: pixel format, context, making current and presenting.
#include <windows.h>

#include <memory>

#include "dxblit/GLCheck.h"
#include "dxblit/WindowDevice.h"

namespace DXBlit {

namespace {

class WglContextBinding : public GLContextBinding {
 public:
  explicit WglContextBinding(HWND window) : window(window), dc(GetDC(window)) {
    try {
      PIXELFORMATDESCRIPTOR format;
      ZeroMemory(&format, sizeof format);
      format.nSize = sizeof format;
      format.nVersion = 1;
      format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
      format.iPixelType = PFD_TYPE_RGBA;
      format.cColorBits = 24;
      const int chosen = ChoosePixelFormat(dc, &format);
      if (chosen == 0) glCheckFailed(195);
      if (!SetPixelFormat(dc, chosen, &format)) glCheckFailed(196);
      context = wglCreateContext(dc);
      if (!context) glCheckFailed(199);
    } catch (...) {
      ReleaseDC(window, dc);
      throw;
    }
  }
  ~WglContextBinding() override { ReleaseDC(window, dc); }

  bool makeCurrent() override {
    previousDc = wglGetCurrentDC();
    previousContext = wglGetCurrentContext();
    return wglMakeCurrent(dc, context) != FALSE;
  }
  bool restorePrevious() override { return wglMakeCurrent(previousDc, previousContext) != FALSE; }
  void swapBuffers() override { SwapBuffers(dc); }
  void clientSize(int& width, int& height) override {
    RECT client = {};
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
  }
  void* procAddress(const char* name) override {
    return reinterpret_cast<void*>(wglGetProcAddress(name));
  }
  bool destroy() override {
    if (!context) return true;
    HGLRC doomed = context;
    context = nullptr;
    return wglDeleteContext(doomed) != FALSE;
  }

 private:
  HWND window;
  HDC dc;
  HGLRC context = nullptr;
  HDC previousDc = nullptr;
  HGLRC previousContext = nullptr;
};

}  // namespace

GLDevice* createWindowDevice(void* window, GLDeviceOptions options) {
  std::unique_ptr<GLContextBinding> binding(new WglContextBinding(static_cast<HWND>(window)));
  return new GLDevice(std::move(binding), options);
}

}  // namespace DXBlit
