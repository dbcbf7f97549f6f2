#pragma once

#include <vector>

#include "gui/Menu.h"
#include "gui/native/x11/X11PopupMenu.h"

namespace Mintwerk {

class Control;
class X11EditorWindow;

// A popup menu of the editor's X11 window for one target control: it collects the items and
// has the window show them.
class LinuxMenu : public Menu {
 public:
  LinuxMenu(X11EditorWindow& owner, Control* target) : owner(owner), target(target) {}

  void addItem(const char* text, int id, bool enabled) override;
  void addSeparator() override;
  int popup(int x, int y) override;

  const std::vector<PopupMenuEntry>& getEntries() const { return entries; }

 private:
  X11EditorWindow& owner;
  Control* target;
  std::vector<PopupMenuEntry> entries;
};

}  // namespace Mintwerk
