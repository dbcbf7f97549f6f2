#pragma once

#include <vector>

#include "gui/Menu.h"
#include "platform/linux/X11PopupMenu.h"

namespace Mintwerk {

class Control;
class X11Window;

// A popup menu of the editor's X11 window for one target control: it collects the items and
// has the window show them.
class LinuxMenu : public Menu {
 public:
  LinuxMenu(X11Window& owner, Control* target) : owner(owner), target(target) {}

  void addItem(const char* text, int id, bool enabled) override;
  void addSeparator() override;
  int popup(int x, int y) override;

  const std::vector<PopupMenuEntry>& getEntries() const { return entries; }

 private:
  X11Window& owner;
  Control* target;
  std::vector<PopupMenuEntry> entries;
};

}  // namespace Mintwerk
