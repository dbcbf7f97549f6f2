// The editor composed as it draws itself: rings and caps over the background, then the texts.
#include <cmath>

#include "Artwork.h"
#include "Layout.h"
#include "Text.h"

namespace Artwork {

Canvas makePreview(const Canvas& background, const Canvas& sheet) {
  const double d = background.density();
  auto px = [d](double units) { return scaled(units, d); };
  Canvas editor(background.width(), background.height(), d);
  editor.copy(background, 0, 0, background.width(), background.height(), 0, 0);
  const Font font(kRegularFontPath, 9 * d);
  const Rgba caption = colour(kAccent), value = grey(255);
  for (const KnobPlace& knob : kKnobs) {
    editor.draw(sheet, px(kRing.x0), px(kRing.y0), px(kRing.width()), px(kRing.height()),
                px(knob.x), px(knob.y + kRingOffsetY));
    const int frame = static_cast<int>(std::lround(knob.previewValue * (kFrameCount - 1)));
    editor.draw(sheet, px(frameX(frame)), px(frameY(frame)), px(kFrameSize), px(kFrameSize),
                px(knob.x + 20), px(knob.y + 16));
    font.drawCentred(editor, knob.centreX() * d, px(knob.captionBaseline()), knob.caption, caption);
    font.drawCentred(editor, knob.centreX() * d, px(knob.valueBaseline()), knob.valueText, value);
  }
  const double switchCentre = (kSwitch.x0 + kSwitch.x1) / 2.0 * d;
  font.drawCentred(editor, switchCentre, px(kSwitchCaptionBaseline), "Q range", caption);
  font.drawCentred(editor, switchCentre, px(kSwitchValueBaseline), "safe", value);
  return editor;
}

}  // namespace Artwork
