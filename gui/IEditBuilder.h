#pragma once

namespace Mintwerk {

class PlugFrame;

// Fills a freshly opened editor's frame with the effect's controls.
class IEditBuilder {
 public:
  virtual ~IEditBuilder() = default;
  virtual void build(PlugFrame& frame) = 0;
};

}  // namespace Mintwerk
