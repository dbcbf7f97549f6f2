#include "MessageBoxRecorder.h"

#include "platform/MessageBox.h"

int MessageBoxRecorder::answer(const std::string& text, const std::string& caption,
                               unsigned flags) {
  shown.push_back({text, caption, flags});
  if (!answers.empty()) {
    int next = answers.front();
    answers.pop_front();
    return next;
  }
  return (flags & 0xF) == Platform::kMbYesNo ? Platform::kIdNo : Platform::kIdOk;
}

#if !defined(_WIN32)

namespace {
int recordBox(void* context, const char* text, const char* caption, unsigned flags) {
  return static_cast<MessageBoxRecorder*>(context)->answer(text ? text : "", caption ? caption : "",
                                                           flags);
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder() { Platform::setMessageBoxHandler(&recordBox, this); }
MessageBoxRecorder::~MessageBoxRecorder() { Platform::setMessageBoxHandler(nullptr, nullptr); }

#endif
