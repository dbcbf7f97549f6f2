#include <windows.h>

#include "platform/MessageBox.h"

namespace Platform {

// The DLL always calls the real API; Windows tests answer the box from a CBT hook instead.
void setMessageBoxHandler(MessageBoxHandler, void*) {}

int messageBox(const char* text, const char* caption, unsigned flags) {
  return MessageBoxA(nullptr, text, caption, flags);
}

}  // namespace Platform
