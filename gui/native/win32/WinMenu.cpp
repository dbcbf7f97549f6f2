#include "gui/native/win32/WinMenu.h"

#include <windows.h>

#include "gui/native/win32/Win32EditorWindow.h"

namespace Mintwerk {

WinMenu::WinMenu(Win32EditorWindow& menuOwner, Control* menuTarget)
    : owner(menuOwner), target(menuTarget), hmenu(CreatePopupMenu()) {}

WinMenu::~WinMenu() { DestroyMenu(static_cast<HMENU>(hmenu)); }

void WinMenu::addItem(const char* text, int id, bool enabled) {
  AppendMenuA(static_cast<HMENU>(hmenu), enabled ? MF_STRING : MF_GRAYED, static_cast<UINT_PTR>(id),
              text);
}

void WinMenu::addSeparator() { AppendMenuA(static_cast<HMENU>(hmenu), MF_SEPARATOR, 0, nullptr); }

int WinMenu::popup(int x, int y) {
  const int windowX = x + (target ? target->absoluteX() : 0);
  const int windowY = y + (target ? target->absoluteY() : 0);
  return owner.showMenu(*this, target, windowX, windowY);
}

}  // namespace Mintwerk
