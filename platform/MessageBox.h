// Modal message boxes without an owner window: the one way the plug-in tells the user that
// something failed. On Windows this is the real system box; on Linux a box of ours on X11.
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

// Where the box is ours rather than the system's (Linux), a handler may stand in (tests record
// and script the answers). Passing null restores the default: our own box, or, when no display
// can be opened, the text on stderr and the answer that agrees to nothing unseen: No for
// questions, Cancel for confirmations, OK for notices.
using MessageBoxHandler = int (*)(void* context, const char* text, const char* caption,
                                  unsigned flags);
void setMessageBoxHandler(MessageBoxHandler handler, void* context);

}  // namespace Platform
