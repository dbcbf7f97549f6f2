// One line of a popup menu, as a control fills it and each system's window shows it.
#pragma once

#include <string>

namespace Mintwerk {

// The text marks its access key with "&" ("&&" is a literal "&").
struct MenuEntry {
  std::string text;
  int id;
  bool enabled;
  bool separator;
  bool checked = false;  // shown with a check mark
};

}  // namespace Mintwerk
