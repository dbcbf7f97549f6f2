// Stands in for the system's message box: records what would have been shown and presses the
// scripted buttons in turn (OK, or No for questions, once the script runs out).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned flags;
};

class MessageBoxRecorder {
 public:
  MessageBoxRecorder() { Platform::setMessageBoxHandler(&MessageBoxRecorder::show, this); }
  ~MessageBoxRecorder() { Platform::setMessageBoxHandler(nullptr, nullptr); }

  std::vector<ShownMessage> shown;
  std::deque<int> answers;

 private:
  static int show(void* context, const char* text, const char* caption, unsigned flags) {
    auto* self = static_cast<MessageBoxRecorder*>(context);
    self->shown.push_back({text ? text : "", caption ? caption : "", flags});
    if (!self->answers.empty()) {
      int answer = self->answers.front();
      self->answers.pop_front();
      return answer;
    }
    return (flags & 0xF) == Platform::kMbYesNo ? Platform::kIdNo : Platform::kIdOk;
  }
};
