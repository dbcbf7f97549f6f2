#pragma once

#include <exception>

namespace DXBlit {

// Every failure of the drawing layer; the details went to the debug output before it was thrown.
class Exception : public std::exception {
 public:
  const char* what() const noexcept override { return "DXBlit::Exception"; }
};

}  // namespace DXBlit
