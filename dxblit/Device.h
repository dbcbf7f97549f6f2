#pragma once

#include <cstddef>
#include <cstdint>

#include "dxblit/NonCopyable.h"
#include "dxblit/Texture.h"

namespace DXBlit {

class Scene;
class StaticTexture;

class Device : public NonCopyable {
 public:
  // Destroys the device; every texture must have been released before.
  virtual void release() = 0;
  // Never null; failures throw Exception. The contents are undefined until updated.
  virtual StaticTexture* createStaticTexture(unsigned width, unsigned height) = 0;
  // Draws one frame of the scene and presents it. The scene draws in units of `scale` pixels: at
  // 2 a quad of 10 x 10 covers 20 x 20 pixels of the window.
  virtual void render(Scene& scene, float scale) = 0;
};

// A static texture holding `pixels` (rows of `width` words). A fill that throws releases the new
// texture on its way out: otherwise it would live until its device reports it as a leak.
inline StaticTexture* createFilledTexture(Device& device, const uint32_t* pixels, unsigned width,
                                          unsigned height) {
  StaticTexture* texture = device.createStaticTexture(width, height);
  try {
    texture->update(pixels, width, 0, 0, width, height);
  } catch (...) {
    texture->release();
    throw;
  }
  return texture;
}

}  // namespace DXBlit
