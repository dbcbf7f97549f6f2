#include "gui/PlugSwitch.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "gui/PlugFrame.h"
#include "gui/PlugKnob.h"
#include "text/Font.h"

namespace Mintwerk {

PlugSwitch::PlugSwitch(PlugFrame* frame, int32_t x, int32_t y, uint32_t width, uint32_t height,
                       const char* switchCaption, int32_t index, bool captionInline)
    : Control(frame, x, y, width, height),
      data(frame),
      caption(switchCaption),
      paramIndex(index),
      inlineCaption(captionInline) {}

bool PlugSwitch::mouseMove(int32_t, int32_t, int) {
  if (!hover) {
    hover = true;
    redraw();
  }
  return true;
}

bool PlugSwitch::mouseDown(int32_t, int32_t, int button, int) {
  if (data->isLearning(paramIndex)) data->cancelLearn();
  if (button == kLeftButton) {
    const float v = data->getValue(paramIndex, nullptr);
    data->setEditing(paramIndex, true);
    data->setValue(paramIndex, v > 0.5f ? 0.0f : 1.0f);
    data->setEditing(paramIndex, false);
    redraw();
  } else if (button == kRightButton) {
    showParameterMenu(*this, *data, paramIndex, static_cast<int>(width / 2),
                      static_cast<int>(height) - (inlineCaption ? 0 : 12));
  }
  return true;
}

void PlugSwitch::mouseLeave() {
  hover = false;
  redraw();
}

void PlugSwitch::menuCommand(int id) { runParameterMenuCommand(*this, *data, paramIndex, id); }

void PlugSwitch::draw(DXBlit::Context& context) {
  const float X = static_cast<float>(absoluteX()), Y = static_cast<float>(absoluteY());
  const float W = static_cast<float>(width), H = static_cast<float>(height);
  char valueText[32] = {};
  data->getValue(paramIndex, valueText);
  const bool learning = data->isLearning(paramIndex);
  const bool menuOpen = parent && parent->isMenuOpenFor(this);
  auto centred = [&](Font* font, const char* text) {
    return X + (W - measureText(font, text, -1)) * 0.5f;
  };
  if (!inlineCaption) {
    Font* small = data->getFont(0);
    const char* readout = learning ? "..learning.." : valueText;
    drawText(small, context, readout, -1, centred(small, readout), Y + H - 2, 0xFFFFFFFF, false);
    Font* captionFont = data->getFont(menuOpen ? 1 : 0);
    drawText(captionFont, context, caption, -1, centred(captionFont, caption), Y + H - 15,
             data->getTextColour(), hover && !menuOpen);
    return;
  }
  if (menuOpen) {
    Font* large = data->getFont(1);
    drawText(large, context, caption, -1, centred(large, caption), Y + H - 2, data->getTextColour(),
             false);
  } else if (learning) {
    Font* small = data->getFont(0);
    drawText(small, context, "..learning..", -1, centred(small, "..learning.."), Y + H - 2,
             0xFFFFFFFF, false);
  } else {
    Font* small = data->getFont(0);
    char line[112];
    std::snprintf(line, sizeof line, "%s: %s", caption, valueText);
    const float g = std::floor((W - measureText(small, line, -1)) * 0.5f);
    const int captionLength = static_cast<int>(std::strlen(caption)) + 1;
    const float advance = drawText(small, context, line, captionLength, X + g, Y + H - 2,
                                   data->getTextColour(), hover);
    drawText(small, context, line + captionLength, -1, X + g + advance, Y + H - 2, 0xFFFFFFFF,
             false);
  }
}

}  // namespace Mintwerk
