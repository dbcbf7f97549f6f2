// The editor's two images and a picture of the editor composed from them.
#pragma once

#include "Canvas.h"

namespace Artwork {

// Drawn natively at `density` (one of kDensities): the layout's sizes times the density.
Canvas makeBackground(double density);  // opaque, kBackgroundWidth x kBackgroundHeight at 1x
Canvas makeSheet(double density);       // premultiplied, kSheetWidth x kSheetHeight at 1x

// The editor as it would look with every knob at its preview value, texts included, one pixel of
// the images to one of the picture, at their density.
Canvas makePreview(const Canvas& background, const Canvas& sheet);

// The product's mark, a small knob in its open scale, then the word, centred on `centreX`; `height`
// scales both (all in units). Drawn in `markColour` and `wordColour`, premultiplied.
void drawWordmark(Canvas& canvas, double centreX, double top, double height, Rgba markColour,
                  Rgba wordColour);

}  // namespace Artwork
