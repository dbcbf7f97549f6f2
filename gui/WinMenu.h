#pragma once

#include "gui/Menu.h"

namespace Mintwerk {

class Control;
class Winwrapper;

// A Win32 popup menu shown by the editor's window for one target control.
class WinMenu : public Menu {
 public:
  WinMenu(Winwrapper& owner, Control* target);
  ~WinMenu() override;

  void addItem(const char* text, int id, bool enabled) override;
  void addSeparator() override;
  int popup(int x, int y) override;

  void* getHandle() const { return hmenu; }

 private:
  Winwrapper& owner;
  Control* target;
  void* hmenu;
};

}  // namespace Mintwerk
