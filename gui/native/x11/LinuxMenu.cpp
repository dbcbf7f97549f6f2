#include "gui/native/x11/LinuxMenu.h"

#include "gui/Control.h"
#include "gui/native/x11/X11EditorWindow.h"

namespace Mintwerk {

void LinuxMenu::addItem(const char* text, int id, bool enabled) {
  entries.push_back({text ? text : "", id, enabled, false});
}

void LinuxMenu::addSeparator() { entries.push_back({"", 0, false, true}); }

int LinuxMenu::popup(int x, int y) {
  const int windowX = x + (target ? target->absoluteX() : 0);
  const int windowY = y + (target ? target->absoluteY() : 0);
  return owner.showMenu(entries, target, windowX, windowY);
}

}  // namespace Mintwerk
