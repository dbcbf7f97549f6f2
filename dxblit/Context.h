#pragma once

#include <cstdint>

#include "dxblit/NonCopyable.h"
#include "dxblit/Quad.h"

namespace DXBlit {

class Device;
class Shader;
class Texture;

// What a scene draws into: shader state and batches of quads.
class Context : public NonCopyable {
 public:
  virtual intptr_t query(void* what) = 0;  // reserved; answers 0
  // Makes the shader current (null for none) and returns the one that was.
  virtual Shader* setShader(Shader* shader) = 0;
  // Programs blending and texture units now.
  virtual void applyState(BlendMode blend, CombineMode combine, Texture* texture0,
                          Texture* texture1) = 0;
  virtual void drawQuads(const Quad* quads, unsigned count) = 0;
  virtual Device& getDevice() = 0;
};

}  // namespace DXBlit
