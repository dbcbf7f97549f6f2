// What every control draws with: textured, coloured rectangles and the ways they combine.
#pragma once

#include <cstdint>

namespace DXBlit {

struct Quad {
  float x0, y0, x1, y1;  // screen rectangle in pixels, origin top-left, y down
  float s0, t0, s1, t1;  // texel rectangle on texture unit 0
  float u0, v0, u1, v1;  // texel rectangle on texture unit 1
  uint32_t colour;       // 0xAARRGGBB, all four corners
};
static_assert(sizeof(Quad) == 13 * 4, "a quad is 13 four-byte words");

// A 1:1 blit: the screen rectangle and the texel rectangles on both units have the same size.
Quad makeBlitQuad(float x, float y, float width, float height, float u, float v, uint32_t colour);

enum BlendMode : int {
  BlendNone = 0,
  BlendPremultiplied = 1,
  BlendAdd = 2,
  BlendAlpha = 3,
  BlendSubpixel = 4,
};

enum CombineMode : int {
  CombineColor = 0,        // the vertex colour alone
  CombineTexture = 1,      // texture 0 times colour
  CombineSubpixel = 2,     // RGB texture 0 times colour, alpha colour
  CombineTwoTextures = 3,  // texture 0 times texture 1 times colour
  CombineCrossfade = 4,    // texture 1 over texture 0 by the colour's alpha, times colour
};

}  // namespace DXBlit
