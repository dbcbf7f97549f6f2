// Message boxes on X11, drawn by us on a connection of their own.
#pragma once

namespace Mintwerk {

// A box on a display connection of its own, transient for `owner` (an X window id, 0 for none),
// that runs from its owner's loop: nothing waits for the user, so a host's thread goes on while
// the box is up. It stays above other windows and cannot be minimised out of sight. The box
// goes with the object.
class X11MessageBox {
 public:
  X11MessageBox(const char* text, const char* caption, unsigned flags, unsigned long owner);
  ~X11MessageBox();
  X11MessageBox(const X11MessageBox&) = delete;
  X11MessageBox& operator=(const X11MessageBox&) = delete;

  // False when no display could be opened: nothing is shown, and the box has no answer.
  bool isShown() const { return shown != nullptr; }
  // Handles what waits on the box's connection; true once it has been answered.
  bool pump();
  // The answer as the system box would give it (kIdOk, kIdCancel, kIdYes, kIdNo).
  int answer() const;
  // The connection's descriptor, for a loop that waits for the box.
  int descriptor() const;
  // Brings the box to the front (a press on the window it belongs to, say).
  void raise();

 private:
  struct Shown;
  Shown* shown = nullptr;
};

// Shows the box and waits for its answer (the chunk reader's question needs it before it
// returns); -1 when no box could be shown (no display could be opened).
int showX11MessageBox(const char* text, const char* caption, unsigned flags, unsigned long owner);

// From now on the plain message boxes (Platform::messageBox) are these boxes, without an owner.
void useX11MessageBoxes();

}  // namespace Mintwerk
