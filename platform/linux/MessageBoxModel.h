// What a message box asks and answers, apart from X: its buttons for the requested flags, the
// answer of Escape and of the window's close button, the answer given when no box can be shown,
// and the text broken into lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Platform {

struct DialogButton {
  std::string label;  // with "&" before its access key, as menu items mark theirs
  int answer;         // kIdOk, kIdCancel, kIdYes, kIdNo
};

// OK; OK and Cancel; Yes and No; Yes, No and Cancel. Other button sets show OK alone.
std::vector<DialogButton> dialogButtons(unsigned flags);
// The button that Enter presses at first: the first, or the one the flags name.
int defaultButton(unsigned flags);
// Escape and the window manager's close button: Cancel where there is one, No for a question,
// OK for a notice.
int escapeAnswer(unsigned flags);
// Where no box can be shown: nothing the user did not see is agreed to.
int conservativeAnswer(unsigned flags);

// Lines of at most `maxWidth` pixels: breaks at "\n" and between words, and inside a word only
// when the word alone is too wide, between characters. "\r" is dropped and tabs count as spaces.
std::vector<std::u32string> wrapText(const std::u32string& text, float maxWidth,
                                     const std::function<float(const std::u32string&)>& measure);

}  // namespace Platform
