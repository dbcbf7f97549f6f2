// The sheet: knob caps in every position, the scale ring around them, the tintable logo.
#include <cmath>

#include "Artwork.h"
#include "Layout.h"
#include "Shapes.h"
#include "Text.h"

namespace Artwork {

namespace {

// Light falls from the top left, a little more from above than from the side.
constexpr double kLightX = -0.55, kLightY = -0.835;

// Cool grey: a touch of blue keeps the greys from looking muddy next to the orange accent.
Rgba slate(double level, double alpha = 1.0) {
  auto channel = [](double v) { return std::fmin(std::fmax(v, 0.0), 255.0) / 255.0; };
  return {channel(level - 2) * alpha, channel(level) * alpha, channel(level + 5) * alpha, alpha};
}

// Everything of the cap that does not turn: shadow, skirt, face.
void drawCapBody(Canvas& canvas, int cellX, int cellY) {
  const double density = canvas.density();
  const double cx = cellX + kFrameSize / 2.0, cy = cellY + kFrameSize / 2.0;
  const int x1 = cellX + kFrameSize, y1 = cellY + kFrameSize;
  canvas.paint(cellX, cellY, x1, y1, [&](double x, double y) {
    const double d = circleDistance(x, y, cx + 0.4, cy + 1.3, kCapRadius - 0.9);
    return grey(0, 0.55 * soft(d, 1.8));
  });
  canvas.paint(cellX, cellY, x1, y1, [&](double x, double y) {
    const double dx = x - cx, dy = y - cy, r = std::hypot(dx, dy);
    const double coverage = fill(r - kCapRadius, density);
    if (coverage <= 0) return Rgba{};
    const double facing = r > 0 ? (dx * kLightX + dy * kLightY) / r : 0.0;
    double level;
    if (r > kFaceRadius) {
      // The skirt slopes away from the face: bright where it faces the light, darkest at the rim.
      const double t = (r - kFaceRadius) / (kCapRadius - kFaceRadius);
      level = 58 + 40 * facing - 12 * t * t;
    } else {
      // The face is gently domed: a soft sheen towards the light, falling off away from it. Its
      // bevelled edge is lit on the light's side and shaded on the other.
      const double sx = dx + 4.5, sy = dy + 5.5;
      level = 47 + 20 * std::exp(-(sx * sx + sy * sy) / 70.0) - 0.35 * (dx + dy);
      const double bevel = smoothstep(kFaceRadius - 1.6, kFaceRadius - 0.4, r);
      level += bevel * 16 * facing;
    }
    // A fine groove parts face and skirt; a dark outline parts the cap from the panel.
    const double groove = (r - kFaceRadius) / 0.55;
    level -= 10 * std::exp(-groove * groove);
    level -= 22 * smoothstep(kCapRadius - 1.0, kCapRadius, r);
    return slate(level, coverage);
  });
}

void drawIndicator(Canvas& canvas, int cellX, int cellY, double angle) {
  const double density = canvas.density();
  const double cx = cellX + kFrameSize / 2.0, cy = cellY + kFrameSize / 2.0;
  double ax, ay, bx, by;
  polar(cx, cy, kIndicatorInner, angle, ax, ay);
  polar(cx, cy, kIndicatorOuter, angle, bx, by);
  constexpr double kWidth = 2.3;
  const int x1 = cellX + kFrameSize, y1 = cellY + kFrameSize;
  // The groove's shadow stays below right whatever the angle, as the light doesn't turn.
  canvas.paint(cellX, cellY, x1, y1, [&](double x, double y) {
    const double d = segmentDistance(x, y, ax + 0.35, ay + 0.6, bx + 0.35, by + 0.6, kWidth);
    return grey(0, 0.5 * soft(d, 0.7));
  });
  canvas.paint(cellX, cellY, x1, y1, [&](double x, double y) {
    const double d = segmentDistance(x, y, ax, ay, bx, by, kWidth);
    return colour(kAccent, fill(d, density));
  });
}

void drawRing(Canvas& canvas) {
  const double density = canvas.density();
  const double cx = kRing.x0 + kRing.width() / 2.0, cy = kRing.y0 + kRing.height() / 2.0;
  canvas.paint(kRing.x0, kRing.y0, kRing.x1, kRing.y1, [&](double x, double y) {
    double d = arcDistance(x, y, cx, cy, kScaleRadius, -135, 135, 1.1);
    const double arc = 0.42 * fill(d, density);
    double ticks = 0;
    for (int i = 0; i < kTickCount; ++i) {
      const double angle = -135.0 + 270.0 * i / (kTickCount - 1);
      // The ends and the middle stand out a little, as landmarks.
      const bool major = i == 0 || i == kTickCount / 2 || i == kTickCount - 1;
      const double outer = major ? kTickOuter : kTickOuter - 1.2;
      double ax, ay, bx, by;
      polar(cx, cy, kScaleRadius + 0.8, angle, ax, ay);
      polar(cx, cy, outer, angle, bx, by);
      d = segmentDistance(x, y, ax, ay, bx, by, major ? 1.25 : 1.0);
      ticks = std::fmax(ticks, (major ? 0.72 : 0.55) * fill(d, density));
    }
    return colour(0xC4CAD3, std::fmax(arc, ticks));
  });
}

}  // namespace

void drawWordmark(Canvas& canvas, double centreX, double top, double height, Rgba markColour,
                  Rgba wordColour) {
  // Mark and word go where the word's 1x width puts them at every density, so that all densities
  // share one layout; only the letters are set at the density's own size.
  const double wordLeft = height * 0.86;
  const double left =
      std::round(centreX - (wordLeft + Font(kBoldFontPath, height * 0.56).width("Quorl")) / 2);
  const double density = canvas.density();
  const Font word(kBoldFontPath, height * 0.56 * density);
  const double scale = height * 0.34, cx = left + scale + height * 0.04, cy = top + height * 0.45;
  const double cap = scale * 0.58, stroke = height * 0.07;
  double ax, ay, bx, by;
  polar(cx, cy, cap * 0.1, 45, ax, ay);
  polar(cx, cy, cap * 1.2, 45, bx, by);
  canvas.paint(left, top, left + wordLeft, top + height, [&](double x, double y) {
    const double arc = arcDistance(x, y, cx, cy, scale, -135, 135, stroke);
    const double notch = segmentDistance(x, y, ax, ay, bx, by, stroke * 1.2);
    const double disc = std::fmax(circleDistance(x, y, cx, cy, cap), -notch);
    return withOpacity(markColour, fill(std::fmin(arc, disc), density));
  });
  word.draw(canvas, static_cast<int>((left + wordLeft) * density),
            static_cast<int>(std::lround((top + height * 0.66) * density)), "Quorl", wordColour);
}

Canvas makeSheet(double density) {
  Canvas sheet(scaled(kSheetWidth, density), scaled(kSheetHeight, density), density);
  // The body is drawn once and copied, so that frames differ only where the indicator turns.
  const int size = scaled(kFrameSize, density);
  Canvas body(size, size, density);
  drawCapBody(body, 0, 0);
  for (int frame = 0; frame < kFrameCount; ++frame) {
    sheet.copy(body, 0, 0, size, size, scaled(frameX(frame), density),
               scaled(frameY(frame), density));
    drawIndicator(sheet, frameX(frame), frameY(frame), frameAngle(frame));
  }
  drawRing(sheet);
  drawWordmark(sheet, (kLogo.x0 + kLogo.x1) / 2.0, kLogo.y0, kLogo.height(), grey(200), grey(255));
  return sheet;
}

}  // namespace Artwork
