#pragma once

namespace DXBlit {

class Context;

// Anything that draws itself.
class Scene {
 public:
  virtual ~Scene() = default;
  virtual void draw(Context& context) = 0;
};

}  // namespace DXBlit
