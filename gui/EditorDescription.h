#pragma once

#include <cstdint>

namespace Mintwerk {

// What an effect tells its editor about itself.
struct EditorDescription {
  int32_t width;
  int32_t height;
  uint32_t numParams;           // parameter values the editor caches
  uint32_t colour;              // 0xRRGGBB
  const char* backgroundImage;  // resource name, or null
  // 0xRRGGBB beyond the background, where a host makes the window larger than the editor.
  uint32_t panelColour = 0;
};

}  // namespace Mintwerk
