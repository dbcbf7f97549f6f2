#include <cstdio>

#include "platform/MessageBox.h"
#include "platform/linux/MessageBoxModel.h"
#include "platform/linux/X11MessageBox.h"

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
  const int answer = showX11MessageBox(text, caption, flags, 0);
  if (answer != -1) return answer;
  std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
  return conservativeAnswer(flags);
}

}  // namespace Platform
