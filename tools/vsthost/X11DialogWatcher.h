// A plug-in's dialogs on X11, answered without a user. A Linux plug-in draws its boxes itself, on
// connections of its own, so nothing can be hooked as on Windows: a thread of ours watches the
// display for top-level dialogs of this process and answers each as soon as it exists.
#pragma once

#include <vector>

#include "Platform.h"

namespace x11dialogs {

// How each dialog is answered: with the window's close button (what a careful user does with a
// box nobody expected: Cancel where there is one, No for a question, OK for a notice), or with
// the key of one button (Y, N, or Return for OK) on the boxes that say which buttons they have.
enum class Answer { closeButton, yes, no, ok };

// Starts the watcher on $DISPLAY for this process; a forked child starts its own. `print`: each
// dialog is printed as `messageBox "caption" "text"` as it is answered. False when no display
// opens (the plug-in then answers its own boxes).
bool start(Answer answer, bool print);

// What this process's watcher answered: the caption is the window's title, the text what the box
// says where it carries that.
std::vector<AskedBox> asked();

}  // namespace x11dialogs
