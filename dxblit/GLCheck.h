#pragma once

namespace DXBlit {

// Reports a failed GL or window-system check to the debug output with its fixed code, then throws
// Exception.
[[noreturn]] void glCheckFailed(int code);

}  // namespace DXBlit
