#pragma once

namespace DXBlit {

// The drawing layer's objects own GPU resources; none of them may be copied.
class NonCopyable {
 public:
  NonCopyable() = default;
  virtual ~NonCopyable() = default;
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;
};

}  // namespace DXBlit
