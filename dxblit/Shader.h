#pragma once

#include "dxblit/Context.h"

namespace DXBlit {

// Binds a blend mode, a combine mode and two textures to a context for the lifetime of the
// object. Shaders nest as scopes; their state takes effect lazily at the next drawQuads.
class Shader : public NonCopyable {
 public:
  Shader(Context& context, BlendMode blend, CombineMode combine, Texture* texture0 = nullptr,
         Texture* texture1 = nullptr);
  ~Shader() override;

  BlendMode blendMode() const { return blend; }
  CombineMode combineMode() const { return combine; }
  Texture* texture0() const { return textures[0]; }
  Texture* texture1() const { return textures[1]; }

 private:
  Context& context;
  Shader* previous;
  CombineMode combine;
  BlendMode blend;
  Texture* textures[2];
};

}  // namespace DXBlit
