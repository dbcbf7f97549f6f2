#pragma once

#include "dxblit/NonCopyable.h"

namespace Mintwerk {

// A context menu a control fills and shows; the chosen item reaches the control later as its
// menuCommand, through the window. Item texts mark the access key with "&".
class Menu : public DXBlit::NonCopyable {
 public:
  virtual void addItem(const char* text, int id, bool enabled) = 0;
  virtual void addSeparator() = 0;
  // At (x, y) in the target control's coordinates; returns when the menu has closed.
  virtual int popup(int x, int y) = 0;
};

}  // namespace Mintwerk
