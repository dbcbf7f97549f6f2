// The drawing device on fixed-function OpenGL 1.1 with multitexturing and texture-env-combine.
// How the GL context is bound to a window is the binding's business.
#pragma once

#include <memory>

#include "dxblit/Context.h"
#include "dxblit/Device.h"
#include "dxblit/GLContextBinding.h"

#if defined(_WIN32)
#define QUORL_GL_CALL __stdcall
#else
#define QUORL_GL_CALL
#endif

namespace DXBlit {

class GLStaticTexture;
class GLTexture;

struct GLDeviceOptions {
  // Tests switch rectangle textures off to exercise the power-of-two path.
  bool allowRectangleTextures = true;
};

class GLDevice : public Device, public Context {
 public:
  // Takes the binding over; throws Exception when the GL cannot do what drawing needs.
  explicit GLDevice(std::unique_ptr<GLContextBinding> binding, GLDeviceOptions options = {});
  ~GLDevice() override;

  // Device
  void release() override { delete this; }
  StaticTexture* createStaticTexture(unsigned width, unsigned height) override;
  void render(Scene& scene, float scale) override;

  // Context
  intptr_t query(void*) override { return 0; }
  Shader* setShader(Shader* shader) override;
  void applyState(BlendMode blend, CombineMode combine, Texture* texture0,
                  Texture* texture1) override;
  void drawQuads(const Quad* quads, unsigned count) override;
  Device& getDevice() override { return *this; }

  // Makes this device's context current for its lifetime; nested scopes switch only once.
  class CurrentScope {
   public:
    explicit CurrentScope(GLDevice& device);
    ~CurrentScope() noexcept(false);
    CurrentScope(const CurrentScope&) = delete;
    CurrentScope& operator=(const CurrentScope&) = delete;

   private:
    GLDevice& device;
    int unwinding;
  };

  bool hasRectangleTextures() const { return rectangleTextures; }
  unsigned textureTarget() const { return target; }
  unsigned textureBindingQuery() const { return bindingQuery; }
  int liveTextures() const { return textureCount; }
  void textureReleased() { --textureCount; }
  // Reads the last presented frame, rows bottom to top as GL
  // gives them, 0xAARRGGBB words; for screenshots and tests.
  void readPixels(int x, int y, int width, int height, uint32_t* out);

 private:
  void setCombine(unsigned rgbOp, unsigned src0, unsigned src1, unsigned alphaOp,
                  unsigned alphaSrc0, unsigned alphaSrc1);
  void enableUnit(int unit, GLTexture& texture);
  void disableUnit(int unit);
  void releaseContext();

  using MultiTexCoord2f = void(QUORL_GL_CALL*)(unsigned target, float s, float t);
  using ActiveTexture = void(QUORL_GL_CALL*)(unsigned target);
  MultiTexCoord2f glMultiTexCoord2fARB = nullptr;
  ActiveTexture glActiveTextureARB = nullptr;
  std::unique_ptr<GLContextBinding> binding;
  Shader* currentShader = nullptr;
  bool dirty = false;
  int nesting = 0;
  bool rectangleTextures = false;
  unsigned target = 0;
  unsigned bindingQuery = 0;
  float scale[2][2] = {{1, 1}, {1, 1}};  // texel to texture coordinates, per unit, s and t
  GLStaticTexture* defaultTexture = nullptr;
  int textureCount = 0;
};

}  // namespace DXBlit
