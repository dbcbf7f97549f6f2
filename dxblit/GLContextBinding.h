// The link between the GL pipeline and a window system: a GL context on one drawable. The
// pipeline (state, quads, textures) is the same whatever binds it.
#pragma once

namespace DXBlit {

class GLContextBinding {
 public:
  virtual ~GLContextBinding() = default;
  // Remembers what the calling thread has current, then makes this context current.
  virtual bool makeCurrent() = 0;
  // Makes current again what makeCurrent found.
  virtual bool restorePrevious() = 0;
  virtual void swapBuffers() = 0;
  virtual void clientSize(int& width, int& height) = 0;
  virtual void* procAddress(const char* name) = 0;
  // Deletes the context; false when the system refused (the drawable is released regardless).
  virtual bool destroy() = 0;
};

}  // namespace DXBlit
