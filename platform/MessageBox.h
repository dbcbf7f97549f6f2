// Modal message boxes without an owner window: the one way the plug-in tells the user that
// something failed. On Windows this is the real system box; elsewhere tests answer it.
#pragma once

namespace Platform {

enum MessageBoxFlags : unsigned {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbYesNo = 0x4,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbTaskModal = 0x2000,
};

enum MessageBoxAnswer : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdYes = 6,
  kIdNo = 7,
};

// Shows the box and returns the button pressed (one of MessageBoxAnswer), or whatever the platform
// answers when it cannot show one (0, or -1 without a display). Callers go on only on the one
// answer that means yes (kIdYes, kIdOk) and take anything else as a refusal.
int messageBox(const char* text, const char* caption, unsigned flags);

// Where no system box exists, a handler may stand in (tests record and script the answers).
// Passing null restores the default: the text goes to stderr, the answer is OK, or No for
// questions.
using MessageBoxHandler = int (*)(void* context, const char* text, const char* caption,
                                  unsigned flags);
void setMessageBoxHandler(MessageBoxHandler handler, void* context);

}  // namespace Platform
