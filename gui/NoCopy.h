#pragma once

namespace Mintwerk {

// The toolkit's objects own windows, textures or children; none of them may be copied.
class NoCopy {
 public:
  NoCopy() = default;
  virtual ~NoCopy() = default;
  NoCopy(const NoCopy&) = delete;
  NoCopy& operator=(const NoCopy&) = delete;
};

}  // namespace Mintwerk
