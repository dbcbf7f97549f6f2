// The GL context of an X11 window through GLX: the context, making it current and back, and
// presenting.
#include <GL/glx.h>

#include <memory>

#include "dxblit/GLCheck.h"
#include "dxblit/WindowDevice.h"
#include "dxblit/native/X11Drawable.h"

namespace DXBlit {

bool chooseGlxConfig(Display* display, int screen, GLXFBConfig& config) {
  int major = 0, minor = 0;
  if (!glXQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 3))
    return false;
  const int attributes[] = {GLX_X_RENDERABLE,
                            True,
                            GLX_DRAWABLE_TYPE,
                            GLX_WINDOW_BIT | GLX_PBUFFER_BIT,
                            GLX_RENDER_TYPE,
                            GLX_RGBA_BIT,
                            GLX_X_VISUAL_TYPE,
                            GLX_TRUE_COLOR,
                            GLX_DOUBLEBUFFER,
                            True,
                            GLX_RED_SIZE,
                            8,
                            GLX_GREEN_SIZE,
                            8,
                            GLX_BLUE_SIZE,
                            8,
                            None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &count);
  if (!configs) return false;
  bool found = false;
  // The first has the fewest extras (no alpha, depth or stencil asked for, none preferred).
  for (int i = 0; i < count && !found; ++i) {
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[i]);
    if (visual) {
      config = configs[i];
      found = true;
      XFree(visual);
    }
  }
  XFree(configs);
  return found;
}

namespace {

class GlxContextBinding : public GLContextBinding {
 public:
  explicit GlxContextBinding(X11Drawable& drawable) : drawable(drawable) {
    Display* display = drawable.display;
    XWindowAttributes attributes;
    if (drawable.gone || !XGetWindowAttributes(display, drawable.window, &attributes))
      glCheckFailed(195);
    // The context must be made for the window's own configuration.
    const VisualID visualId = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    GLXFBConfig* configs =
        glXGetFBConfigs(display, XScreenNumberOfScreen(attributes.screen), &count);
    bool found = false;
    for (int i = 0; configs && i < count && !found; ++i) {
      int id = 0, doubleBuffered = 0;
      glXGetFBConfigAttrib(display, configs[i], GLX_VISUAL_ID, &id);
      glXGetFBConfigAttrib(display, configs[i], GLX_DOUBLEBUFFER, &doubleBuffered);
      if (static_cast<VisualID>(id) == visualId && doubleBuffered) {
        config = configs[i];
        found = true;
      }
    }
    if (configs) XFree(configs);
    if (!found) glCheckFailed(196);
    context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    if (!context) glCheckFailed(199);
  }
  ~GlxContextBinding() override {
    if (standIn) glXDestroyPbuffer(drawable.display, standIn);
  }

  bool makeCurrent() override {
    previousDisplay = glXGetCurrentDisplay();
    previousDraw = glXGetCurrentDrawable();
    previousRead = glXGetCurrentReadDrawable();
    previousContext = glXGetCurrentContext();
    const GLXDrawable target = currentTarget();
    return target && glXMakeContextCurrent(drawable.display, target, target, context) == True;
  }
  bool restorePrevious() override {
    if (previousContext && previousDisplay)
      return glXMakeContextCurrent(previousDisplay, previousDraw, previousRead, previousContext) ==
             True;
    return glXMakeContextCurrent(drawable.display, None, None, nullptr) == True;
  }
  void swapBuffers() override {
    if (!drawable.gone) glXSwapBuffers(drawable.display, drawable.window);
  }
  void clientSize(int& width, int& height) override {
    XWindowAttributes attributes;
    width = height = 0;
    if (!drawable.gone && XGetWindowAttributes(drawable.display, drawable.window, &attributes)) {
      width = attributes.width;
      height = attributes.height;
    }
  }
  void* procAddress(const char* name) override {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
  }
  bool destroy() override {
    if (!context) return true;
    GLXContext doomed = context;
    context = nullptr;
    glXDestroyContext(drawable.display, doomed);
    return true;
  }

 private:
  // The window while it exists; after it went, a one-pixel buffer of the same configuration.
  GLXDrawable currentTarget() {
    if (!drawable.gone) return drawable.window;
    if (!standIn) {
      const int attributes[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
      standIn = glXCreatePbuffer(drawable.display, config, attributes);
    }
    return standIn;
  }

  X11Drawable& drawable;
  GLXFBConfig config = nullptr;
  GLXContext context = nullptr;
  GLXPbuffer standIn = 0;
  Display* previousDisplay = nullptr;
  GLXDrawable previousDraw = 0;
  GLXDrawable previousRead = 0;
  GLXContext previousContext = nullptr;
};

}  // namespace

GLDevice* createWindowDevice(void* window, GLDeviceOptions options) {
  std::unique_ptr<GLContextBinding> binding(
      new GlxContextBinding(*static_cast<X11Drawable*>(window)));
  return new GLDevice(std::move(binding), options);
}

}  // namespace DXBlit
