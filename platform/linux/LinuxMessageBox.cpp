#include <cstdio>

#include "platform/MessageBox.h"

namespace Platform {

namespace {
MessageBoxHandler currentHandler = nullptr;
void* currentContext = nullptr;
}  // namespace

void setMessageBoxHandler(MessageBoxHandler handler, void* context) {
  currentHandler = handler;
  currentContext = context;
}

int messageBox(const char* text, const char* caption, unsigned flags) {
  if (currentHandler) return currentHandler(currentContext, text, caption, flags);
  std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
  return (flags & 0xF) == kMbYesNo ? kIdNo : kIdOk;
}

}  // namespace Platform
