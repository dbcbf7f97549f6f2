// What the editor's native window reports to the portable root of the editor: pointer events,
// ticks, paints, the menu's end and choice, and its own end. The window knows no control.
#pragma once

#include "gui/native/PointerEvent.h"

namespace Mintwerk {

class WindowClient {
 public:
  virtual ~WindowClient() = default;
  virtual void pointer(const PointerEvent& event) = 0;
  virtual void pointerLeft() = 0;
  // A drag whose release never came (a move with no button held, the window hidden) is over.
  virtual void dragEnded() = 0;
  // The system gave the pointer to someone else.
  virtual void pointerTaken() = 0;
  virtual void tick() = 0;
  // Draws through the window's render; the window has nothing to draw of its own.
  virtual void paint() = 0;
  // The menu has gone, then what was chosen (-1 for nothing); on some systems the choice comes
  // later or on its own.
  virtual void menuEnded() = 0;
  virtual void menuChosen(int id) = 0;
  // The user asks to close a top-level window.
  virtual bool canClose() = 0;
  // The window is destroyed (with its parent, say): told once, and never after dispose. True when
  // the window ends itself now, false when the one who took it from its owner ends it.
  virtual bool windowEnded() = 0;
  // Lets go of the textures and fonts made on the window's device, while it is current.
  virtual void releaseResources() = 0;
  // The system's scale for the window changed (it moved to another monitor, say).
  virtual void desktopScaleChanged() {}
};

}  // namespace Mintwerk
