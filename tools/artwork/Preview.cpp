// The editor composed as it draws itself: rings and caps over the background, then the texts.
#include <cmath>

#include "Artwork.h"
#include "Layout.h"
#include "Text.h"

namespace Artwork {

Canvas makePreview(const Canvas& background, const Canvas& sheet) {
  Canvas editor(kBackgroundWidth, kBackgroundHeight);
  editor.copy(background, 0, 0, kBackgroundWidth, kBackgroundHeight, 0, 0);
  const Font font(kRegularFontPath, 9);
  const Rgba caption = colour(kAccent), value = grey(255);
  for (const KnobPlace& knob : kKnobs) {
    editor.draw(sheet, kRing.x0, kRing.y0, kRing.width(), kRing.height(), knob.x,
                knob.y + kRingOffsetY);
    const int frame = static_cast<int>(std::lround(knob.previewValue * (kFrameCount - 1)));
    editor.draw(sheet, frameX(frame), frameY(frame), kFrameSize, kFrameSize, knob.x + 20,
                knob.y + 16);
    font.drawCentred(editor, knob.centreX(), knob.captionBaseline(), knob.caption, caption);
    font.drawCentred(editor, knob.centreX(), knob.valueBaseline(), knob.valueText, value);
  }
  const double switchCentre = (kSwitch.x0 + kSwitch.x1) / 2.0;
  font.drawCentred(editor, switchCentre, kSwitchCaptionBaseline, "Q range", caption);
  font.drawCentred(editor, switchCentre, kSwitchValueBaseline, "safe", value);
  return editor;
}

}  // namespace Artwork
