// Textures of a GLDevice.
#pragma once

#include "dxblit/Texture.h"

namespace DXBlit {

class GLDevice;

class GLTexture : public Texture {
 public:
  GLTexture(GLDevice& device, unsigned name, unsigned width, unsigned height)
      : name(name), width(width), height(height), device(&device) {}

  // Frees the GL texture and deletes the object.
  void release() override;

  unsigned glName() const { return name; }
  unsigned allocatedWidth() const { return width; }
  unsigned allocatedHeight() const { return height; }
  GLDevice& owner() const { return *device; }

 protected:
  unsigned name;
  unsigned width, height;  // allocated size: rounded up to powers of two without rectangles
  GLDevice* device;
};

class GLStaticTexture : public StaticTexture, public GLTexture {
 public:
  using GLTexture::GLTexture;
  void release() override { GLTexture::release(); }
  void update(const uint32_t* pixels, unsigned pitch, unsigned x, unsigned y, unsigned width,
              unsigned height) override;
};

}  // namespace DXBlit
