#include <shellapi.h>
#include <windows.h>

#include "platform/WebAddress.h"

namespace Platform {

void openWebAddress(const char* address) {
  ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace Platform
