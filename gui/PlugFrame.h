// The editor's root frame: the window's only child, covering it, parent of the effect's
// controls and their one view of the plug-in.
#pragma once

#include "gui/Control.h"
#include "gui/ITimerController.h"

namespace Mintwerk {

class PlugEditVST;

class PlugFrame : public Container, public ITimerController {
 public:
  PlugFrame(Container* window, PlugEditVST& editor);

  void onTimer() override {}

  PlugEditVST& getEditor() const { return editor; }

 private:
  PlugEditVST& editor;
};

}  // namespace Mintwerk
