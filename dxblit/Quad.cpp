#include "dxblit/Quad.h"

namespace DXBlit {

Quad makeBlitQuad(float x, float y, float width, float height, float u, float v, uint32_t colour) {
  return Quad{x,          y, x + width, y + height, u,          v,     u + width,
              v + height, u, v,         u + width,  v + height, colour};
}

}  // namespace DXBlit
