#include "gui/PlugKnob.h"

#include <cstdio>
#include <memory>

#include "dxblit/Shader.h"
#include "gui/Menu.h"
#include "gui/PlugFrame.h"
#include "gui/native/Cursor.h"
#include "text/Font.h"

namespace Mintwerk {

float clamp01(float v) {
  if (v >= 0.0f && v <= 1.0f) return v;
  return v > 1.0f ? 1.0f : 0.0f;  // below 0 and NaN alike
}

void showParameterMenu(Control& control, IPlugData& data, int32_t paramIndex, int x, int y) {
  Container* parent = control.getParent();
  std::unique_ptr<Menu> menu(parent ? parent->createMenu(&control) : nullptr);
  if (!menu) return;
  char defaultText[32] = {};
  data.getDefaultText(paramIndex, defaultText);
  char item[112];
  std::snprintf(item, sizeof item, "&Reset to default (%s)", defaultText);
  menu->addItem(item, 0, true);
  menu->addSeparator();
  menu->addItem("MIDI &Learn", 1, true);
  const int32_t key = data.getMapping(paramIndex);
  if (key == -1) {
    menu->addItem("MIDI &Unlearn", 2, false);
  } else {
    std::snprintf(item, sizeof item, "MIDI &Unlearn (chan:%d, cc:%d)", ((key >> 8) & 0xF) + 1,
                  key & 0xFF);
    menu->addItem(item, 2, true);
  }
  menu->popup(x, y);
}

void runParameterMenuCommand(Control& control, IPlugData& data, int32_t paramIndex, int id) {
  switch (id) {
    case 0:
      if (data.isLearning(paramIndex)) data.cancelLearn();
      data.setEditing(paramIndex, true);
      data.resetToDefault(paramIndex);
      data.setEditing(paramIndex, false);
      break;
    case 1:
      data.startLearn(paramIndex);
      break;
    case 2:
      data.unlearn(paramIndex);
      break;
    default:
      break;
  }
  control.redraw();
}

PlugKnobBase::PlugKnobBase(PlugFrame* frame, int32_t x, int32_t y, uint32_t width, uint32_t height,
                           const char* knobCaption, int32_t index)
    : Control(frame, x, y, width, height), data(frame), caption(knobCaption), paramIndex(index) {}

PlugKnobBase::~PlugKnobBase() {
  if (dragging) data->setEditing(paramIndex, false);
}

bool PlugKnobBase::mouseMove(int32_t, int32_t y, int modifiers) {
  if (dragging) {
    const int32_t old = lastY;
    lastY = y;
    if (old != y) {
      const float range = (modifiers & (kShift | kCtrl)) ? 4000.0f : 400.0f;
      dragValue = clamp01(dragValue + static_cast<float>(old - y) / range);
      data->setValue(paramIndex, dragValue);
    }
    setCursor(CursorShape::kVerticalResize);
  } else {
    if (!hover) {
      hover = true;
      redraw();
    }
    setCursor(CursorShape::kHand);
  }
  return true;
}

bool PlugKnobBase::mouseDown(int32_t, int32_t y, int button, int) {
  if (data->isLearning(paramIndex)) data->cancelLearn();
  if (button == kLeftButton) {
    lastY = y;
    dragValue = data->getValue(paramIndex, nullptr);
    data->setEditing(paramIndex, true);
    dragging = true;
    if (parent) parent->setCapture(this);
    redraw();
  } else if (button == kRightButton) {
    if (dragging) {
      data->setValue(paramIndex, 0.5f);
      if (parent) parent->setCapture(nullptr);
    } else {
      showParameterMenu(*this, *data, paramIndex, static_cast<int>(width / 2),
                        static_cast<int>(height) - 12);
    }
  }
  return true;
}

bool PlugKnobBase::mouseUp(int32_t, int32_t, int button, int) {
  if (button == kLeftButton && dragging && parent) parent->setCapture(nullptr);
  return true;
}

void PlugKnobBase::captureLost() {
  if (!dragging) return;
  data->setEditing(paramIndex, false);
  dragging = false;
  redraw();
}

bool PlugKnobBase::mouseDoubleClick(int32_t, int32_t, int button, int) {
  if (button != kLeftButton) return true;
  if (data->isLearning(paramIndex)) data->cancelLearn();
  data->setEditing(paramIndex, true);
  data->resetToDefault(paramIndex);
  data->setEditing(paramIndex, false);
  return true;
}

bool PlugKnobBase::mouseWheel(int32_t, int32_t, float delta, int modifiers) {
  const float step = (modifiers & (kShift | kCtrl)) ? delta / 200.0f : delta / 20.0f;
  if (dragging) {
    dragValue = clamp01(dragValue + step);
    data->setValue(paramIndex, dragValue);
  } else {
    const float v = clamp01(data->getValue(paramIndex, nullptr) + step);
    data->setEditing(paramIndex, true);
    data->setValue(paramIndex, v);
    data->setEditing(paramIndex, false);
  }
  return true;
}

void PlugKnobBase::mouseLeave() {
  if (!hover) return;
  hover = false;
  redraw();
}

void PlugKnobBase::menuCommand(int id) { runParameterMenuCommand(*this, *data, paramIndex, id); }

bool PlugKnob::hitTest(int32_t x, int32_t y) {
  const int32_t dx = x - static_cast<int32_t>(width / 2);
  const int32_t dy = y - static_cast<int32_t>(height / 2);
  return dx * dx + dy * dy < 1024;
}

void PlugKnob::draw(DXBlit::Context& context) {
  const float X = static_cast<float>(absoluteX()), Y = static_cast<float>(absoluteY());
  const float W = static_cast<float>(width), H = static_cast<float>(height);
  char valueText[40] = {};
  const float v = data->getValue(paramIndex, valueText);

  {
    DXBlit::StaticTexture* sheet = data->getSpriteTexture();
    DXBlit::Shader shader(context, DXBlit::BlendPremultiplied, DXBlit::CombineCrossfade, sheet,
                          sheet);
    const float p = v * 95.0f;
    const int frame = static_cast<int>(p);
    const float fraction = p - static_cast<float>(frame);
    const uint32_t alpha = static_cast<uint32_t>(fraction * 255.0f);
    const uint32_t rgb = (hover || dragging) ? 0xFFFFFF : 0xE0E0E0;
    DXBlit::Quad quads[2];
    quads[0] = DXBlit::makeBlitQuad(X, Y - 4, 80, 80, 320, 0, 0xFFFFFFFF);
    quads[1] = DXBlit::makeBlitQuad(X + 20, Y + 16, 40, 40, static_cast<float>((frame % 8) * 40),
                                    static_cast<float>((frame / 8) * 40), alpha << 24 | rgb);
    const int next = frame + 1;
    quads[1].u0 = static_cast<float>((next % 8) * 40);
    quads[1].v0 = static_cast<float>((next / 8) * 40);
    quads[1].u1 = quads[1].u0 + 40;
    quads[1].v1 = quads[1].v0 + 40;
    context.drawQuads(quads, 2);
  }

  const bool menuOpen = parent && parent->isMenuOpenFor(this);
  Font* captionFont = data->getFont(menuOpen ? 1 : 0);
  drawText(captionFont, context, caption, -1,
           X + W * 0.5f - measureText(captionFont, caption, -1) * 0.5f, Y + H - 14,
           data->getTextColour(), hover && !dragging);
  const char* readout = data->isLearning(paramIndex) ? "..learning.." : valueText;
  Font* readoutFont = data->getFont(dragging ? 1 : 0);
  drawText(readoutFont, context, readout, -1,
           X + W * 0.5f - measureText(readoutFont, readout, -1) * 0.5f, Y + H - 2, 0xFFFFFFFF,
           false);
}

}  // namespace Mintwerk
