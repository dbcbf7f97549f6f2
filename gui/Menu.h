// A context menu a control fills and shows: the same model on every system, shown by the
// editor's window. The chosen item reaches the control later as its menuCommand. Item texts mark
// the access key with "&".
#pragma once

#include <vector>

#include "dxblit/NonCopyable.h"
#include "gui/native/MenuEntry.h"

namespace Mintwerk {

class Control;
class EditorRoot;

class Menu : public DXBlit::NonCopyable {
 public:
  Menu(EditorRoot& root, Control* target) : root(root), target(target) {}
  void addItem(const char* text, int id, bool enabled, bool checked = false);
  void addSeparator();
  // At (x, y) in the target control's coordinates. Where the system's menu runs its own loop
  // this returns when the menu has closed; elsewhere at once, the menu running on.
  int popup(int x, int y);

 private:
  EditorRoot& root;
  Control* target;
  std::vector<MenuEntry> items;
};

}  // namespace Mintwerk
