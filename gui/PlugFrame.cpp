#include "gui/PlugFrame.h"

#include "gui/PlugEditVST.h"

namespace Mintwerk {

PlugFrame::PlugFrame(Container* window, PlugEditVST& editor)
    : Container(window, 0, 0, static_cast<uint32_t>(editor.getDescription().width),
                static_cast<uint32_t>(editor.getDescription().height)),
      editor(editor) {}

}  // namespace Mintwerk
