// A rotary knob: a vertical drag, the wheel, a double click or its menu change one parameter; it
// draws an animated knob from the sprite sheet with the caption and value under it.
#pragma once

#include "gui/Control.h"
#include "gui/IPlugData.h"

namespace Mintwerk {

class PlugFrame;

class PlugKnobBase : public Control {
 public:
  PlugKnobBase(PlugFrame* frame, int32_t x, int32_t y, uint32_t width, uint32_t height,
               const char* caption, int32_t paramIndex);
  // A knob destroyed in the middle of a drag still ends the host's gesture.
  ~PlugKnobBase() override;

  bool mouseMove(int32_t x, int32_t y, int modifiers) override;
  bool mouseDown(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseUp(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseWheel(int32_t x, int32_t y, float delta, int modifiers) override;
  void mouseLeave() override;
  void captureLost() override;
  void menuCommand(int id) override;
  void draw(DXBlit::Context& context) override = 0;

  bool isDragging() const { return dragging; }
  bool isHovered() const { return hover; }

 protected:
  IPlugData* data;
  const char* caption;
  int32_t paramIndex;
  bool hover = false;
  bool dragging = false;
  int32_t lastY = 0;
  float dragValue = 0.0f;
};

class PlugKnob : public PlugKnobBase {
 public:
  using PlugKnobBase::PlugKnobBase;
  bool hitTest(int32_t x, int32_t y) override;
  void draw(DXBlit::Context& context) override;
};

// The context menu that knobs and switches share, and its actions.
void showParameterMenu(Control& control, IPlugData& data, int32_t paramIndex, int x, int y);
void runParameterMenuCommand(Control& control, IPlugData& data, int32_t paramIndex, int id);

float clamp01(float v);

}  // namespace Mintwerk
