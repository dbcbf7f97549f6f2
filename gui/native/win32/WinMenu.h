#pragma once

#include "gui/Menu.h"

namespace Mintwerk {

class Control;
class Win32EditorWindow;

// A Win32 popup menu shown by the editor's window for one target control.
class WinMenu : public Menu {
 public:
  WinMenu(Win32EditorWindow& owner, Control* target);
  ~WinMenu() override;

  void addItem(const char* text, int id, bool enabled) override;
  void addSeparator() override;
  int popup(int x, int y) override;

  void* getHandle() const { return hmenu; }

 private:
  Win32EditorWindow& owner;
  Control* target;
  void* hmenu;
};

}  // namespace Mintwerk
