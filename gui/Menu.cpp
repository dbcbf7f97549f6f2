#include "gui/Menu.h"

#include "gui/EditorRoot.h"

namespace Mintwerk {

void Menu::addItem(const char* text, int id, bool enabled, bool checked) {
  items.push_back({text ? text : "", id, enabled, false, checked});
}

void Menu::addSeparator() { items.push_back({"", 0, false, true}); }

int Menu::popup(int x, int y) {
  const int windowX = x + (target ? target->absoluteX() : 0);
  const int windowY = y + (target ? target->absoluteY() : 0);
  return root.showMenu(items, target, windowX, windowY);
}

}  // namespace Mintwerk
