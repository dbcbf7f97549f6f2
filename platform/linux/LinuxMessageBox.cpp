#include <atomic>
#include <cstdio>

#include "platform/MessageBox.h"
#include "platform/linux/MessageBoxModel.h"
#include "platform/linux/NoticeSink.h"

namespace Platform {

namespace {
MessageBoxHandler currentHandler = nullptr;
void* currentContext = nullptr;
std::atomic<MessageBoxPresenter> currentPresenter{nullptr};
thread_local NoticeSink* threadSink = nullptr;

bool isNotice(unsigned flags) { return (flags & 0xF) == kMbOk; }
}  // namespace

NoticeSink* setNoticeSink(NoticeSink* sink) {
  NoticeSink* previous = threadSink;
  threadSink = sink;
  return previous;
}

void setMessageBoxPresenter(MessageBoxPresenter presenter) { currentPresenter = presenter; }

void setMessageBoxHandler(MessageBoxHandler handler, void* context) {
  currentHandler = handler;
  currentContext = context;
}

int messageBox(const char* text, const char* caption, unsigned flags) {
  if (currentHandler) return currentHandler(currentContext, text, caption, flags);
  if (threadSink && isNotice(flags)) {
    threadSink->showNotice(text, caption, flags);
    return kIdOk;
  }
  const MessageBoxPresenter presenter = currentPresenter;
  const int answer = presenter ? presenter(text, caption, flags) : -1;
  if (answer != -1) return answer;
  std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
  return conservativeAnswer(flags);
}

}  // namespace Platform
