#include "gui/Image.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "image/PngDecoder.h"
#include "platform/ModuleResources.h"

namespace Mintwerk {

Image::Image(const unsigned char* bytes, std::size_t size) {
  static const unsigned char kSignature[4] = {0x89, 0x50, 0x4E, 0x47};
  if (!bytes || size < 4 || std::memcmp(bytes, kSignature, 4) != 0) throw Exception();
  std::vector<unsigned char> rgba;
  if (decodePngBuffer(rgba, width, height, bytes, size, true) != 0) throw Exception();
  const std::size_t count = static_cast<std::size_t>(width) * height;
  pixels.reset(new uint32_t[count]);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* p = &rgba[i * 4];
    pixels[i] = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
                static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
}

DXBlit::StaticTexture* Image::createTexture(DXBlit::Device& device) const {
  return DXBlit::createFilledTexture(device, pixels.get(), width, height);
}

Image* loadImageResource(const char* name) {
  Platform::ResourceBytes resource;
  if (!name || !Platform::findModuleResource("PNG", name, resource)) return nullptr;
  return new Image(resource.data, resource.size);
}

const Image* cachedImageResource(const char* name) {
  // Kept for the module's life: every editor of the process draws from the same pixels.
  struct Entry {
    std::string key;
    const Image* image;
  };
  // Never destroyed, so the images stay reachable until the module goes.
  static std::vector<Entry>& cache = *new std::vector<Entry>();
  if (!name) return nullptr;
  std::string key(name);
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const Entry& entry : cache)
    if (entry.key == key) return entry.image;
  const Image* image = loadImageResource(name);
  if (image) cache.push_back({key, image});
  return image;
}

}  // namespace Mintwerk
