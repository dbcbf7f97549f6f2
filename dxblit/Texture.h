#pragma once

#include <cstdint>

#include "dxblit/NonCopyable.h"

namespace DXBlit {

// A bitmap on the GPU. Its creator ends it with release, never with delete.
class Texture : public NonCopyable {
 public:
  virtual void release() = 0;
  // Texels per unit of the texel coordinates quads give: an image drawn at twice the resolution
  // is sampled with the coordinates of its 1:1 original.
  float texelDensity() const { return density; }
  void setTexelDensity(float texelsPerUnit) { density = texelsPerUnit; }

 private:
  float density = 1.0f;
};

// A texture written by the CPU and then only sampled. Pixels are 32-bit words 0xAARRGGBB, rows
// top to bottom; pitch is the source row length in pixels. The rectangle is clipped to the
// texture.
class StaticTexture : public Texture {
 public:
  virtual void update(const uint32_t* pixels, unsigned pitch, unsigned x, unsigned y,
                      unsigned width, unsigned height) = 0;
};

}  // namespace DXBlit
