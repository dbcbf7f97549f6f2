// The editor's two images and a picture of the editor composed from them.
#pragma once

#include "Canvas.h"

namespace Artwork {

Canvas makeBackground();  // opaque, kBackgroundWidth x kBackgroundHeight
Canvas makeSheet();       // premultiplied, kSheetWidth x kSheetHeight

// The editor as it would look with every knob at its preview value, texts included, at 1:1.
Canvas makePreview(const Canvas& background, const Canvas& sheet);

// The product's mark, a small knob in its open scale, then the word, centred on `centreX`; `height`
// scales both. Drawn in `markColour` and `wordColour`, premultiplied.
void drawWordmark(Canvas& canvas, double centreX, double top, double height, Rgba markColour,
                  Rgba wordColour);

}  // namespace Artwork
