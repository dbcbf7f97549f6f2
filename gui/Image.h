// A bitmap of the module's own, decoded from PNG into 32-bit words 0xAARRGGBB, rows top to
// bottom; the colour is taken as stored (the sprite sheet comes premultiplied).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#include "dxblit/Device.h"
#include "dxblit/NonCopyable.h"
#include "dxblit/Texture.h"

namespace Mintwerk {

class Image : public DXBlit::NonCopyable {
 public:
  // Bytes that do not decode as PNG.
  class Exception : public std::exception {
   public:
    const char* what() const noexcept override { return "Mintwerk::Image::Exception"; }
  };

  // Throws Exception when the bytes are not a PNG the decoder can read.
  Image(const unsigned char* bytes, std::size_t size);

  unsigned getWidth() const { return width; }
  unsigned getHeight() const { return height; }
  const uint32_t* getPixels() const { return pixels.get(); }

  // A texture of the device holding this image; the caller owns it.
  DXBlit::StaticTexture* createTexture(DXBlit::Device& device) const;

 private:
  unsigned width = 0;
  unsigned height = 0;
  std::unique_ptr<uint32_t[]> pixels;
};

// The module's PNG resource of that name (matched without regard to case), or null when there
// is none. Bytes that do not decode throw Image::Exception.
Image* loadImageResource(const char* name);

// The image decoded once per loaded module and shared by every editor; null while the resource
// is missing (asked again next time). Exceptions from decoding propagate.
const Image* cachedImageResource(const char* name);

}  // namespace Mintwerk
