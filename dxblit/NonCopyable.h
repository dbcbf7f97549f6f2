#pragma once

namespace DXBlit {

// Objects that own windows, GPU resources or children: none of them may be copied. The toolkit
// above uses it too.
class NonCopyable {
 public:
  NonCopyable() = default;
  virtual ~NonCopyable() = default;
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;
};

}  // namespace DXBlit
