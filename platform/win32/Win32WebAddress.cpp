#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include "platform/WebAddress.h"

namespace Platform {

void openWebAddress(const char* address) {
  ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace Platform
