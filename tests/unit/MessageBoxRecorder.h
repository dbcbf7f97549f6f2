// Stands in for the user at a message box: records what was shown (text, caption, flags) and
// presses the scripted buttons in turn (OK, or No for questions, once the script runs out).
// On Linux it replaces the box through the platform seam; on Windows the real box appears and a
// hook on this thread reads it and presses the button.
#pragma once

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned flags;
};

class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();

  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  // Records one box and returns the button to press.
  int answer(const std::string& text, const std::string& caption, unsigned flags);

  std::vector<ShownMessage> shown;
  std::deque<int> answers;

 private:
  void* hook = nullptr;
};
