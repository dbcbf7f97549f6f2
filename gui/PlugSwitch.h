// A two-state text control: a click toggles its parameter between 0 and 1; it shows the value
// text and its caption.
#pragma once

#include "gui/Control.h"
#include "gui/IPlugData.h"

namespace Mintwerk {

class PlugFrame;

class PlugSwitch : public Control {
 public:
  PlugSwitch(PlugFrame* frame, int32_t x, int32_t y, uint32_t width, uint32_t height,
             const char* caption, int32_t paramIndex, bool inlineCaption = false);

  bool mouseMove(int32_t x, int32_t y, int modifiers) override;
  bool mouseDown(int32_t x, int32_t y, int button, int modifiers) override;
  void mouseLeave() override;
  void menuCommand(int id) override;
  void draw(DXBlit::Context& context) override;

 private:
  IPlugData* data;
  const char* caption;
  int32_t paramIndex;
  bool hover = false;
  bool inlineCaption;
};

}  // namespace Mintwerk
