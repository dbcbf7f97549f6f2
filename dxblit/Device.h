#pragma once

#include <cstddef>

#include "dxblit/NonCopyable.h"

namespace DXBlit {

class Scene;
class StaticTexture;

class Device : public NonCopyable {
 public:
  // Destroys the device; every texture must have been released before.
  virtual void release() = 0;
  // Null when the bytes are not a PNG the decoder can read.
  virtual StaticTexture* createTextureFromPNG(const unsigned char* bytes, std::size_t size) = 0;
  // Never null; failures throw Exception. The contents are undefined until updated.
  virtual StaticTexture* createStaticTexture(unsigned width, unsigned height) = 0;
  // Draws one frame of the scene and presents it.
  virtual void render(Scene& scene) = 0;
};

}  // namespace DXBlit
