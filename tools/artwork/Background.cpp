// The panel behind the controls: brushed dark slate, recessed groups, wells under the knobs, the
// switch's plate and the wordmark in the corner.
#include <cmath>

#include "Artwork.h"
#include "Layout.h"
#include "Shapes.h"
#include "Text.h"

namespace Artwork {

namespace {

constexpr Rect kPlate{255, 28, 325, 57};
constexpr Rect kReadout{263, 43, 317, 55};

// Fine horizontal grain from a few incommensurate waves: smooth, with no random dots, but too
// irregular to read as stripes. Returns an offset of about +-2 levels.
double grain(double x, double y) {
  const double wobble = 0.9 * std::sin(x * 0.021 + 0.4) + 0.5 * std::sin(x * 0.067 + 2.1);
  const double streaks = 0.6 + 0.4 * std::sin(x * 0.043 + 1.7 * std::sin(y * 0.05));
  return streaks *
             (1.0 * std::sin(y * 2.31 + wobble) + 0.7 * std::sin(y * 4.07 + 1.3 - 0.6 * wobble) +
              0.45 * std::sin(y * 7.73 + 0.2 * x * 0.013)) +
         0.4 * std::sin(y * 1.13 + x * 0.009 + 2.7);
}

void drawPanel(Canvas& canvas) {
  canvas.paint(0, 0, kBackgroundWidth, kBackgroundHeight, [](double x, double y) {
    const double t = y / kBackgroundHeight;
    const double level = 47 - 15 * t + grain(x, y);
    return Rgba{(level - 3) / 255, (level - 1) / 255, (level + 3) / 255, 1.0};
  });
}

// A shallow tray: darker inside, its top and left inner edges in shadow, its lower rim lit.
void drawRecess(Canvas& canvas, const Rect& r, double radius) {
  const double density = canvas.density();
  canvas.paint(r.x0 - 2, r.y0 - 2, r.x1 + 2, r.y1 + 2, [&](double x, double y) {
    const double inside = roundRectDistance(x, y, r.x0, r.y0, r.x1, r.y1, radius);
    const double shifted =
        roundRectDistance(x, y, r.x0 + 1.2, r.y0 + 1.8, r.x1 + 1.2, r.y1 + 1.8, radius);
    const double lowered = roundRectDistance(x, y, r.x0, r.y0 + 1, r.x1, r.y1 + 1, radius);
    const double shade = fill(inside, density) * (0.14 + 0.22 * smoothstep(-2.5, 0.5, shifted));
    const Rgba rim = grey(255, 0.07 * fill(lowered, density) * (1 - fill(inside, density)));
    return over(grey(0, shade), rim);
  });
}

// The knob sits in a round well: dark in the middle, shaded at the top left, lit at the lower
// right.
void drawWell(Canvas& canvas, double cx, double cy) {
  constexpr double kRadius = 19.5;
  const double density = canvas.density();
  canvas.paint(
      static_cast<int>(cx - 24), static_cast<int>(cy - 24), static_cast<int>(cx + 25),
      static_cast<int>(cy + 25), [&](double x, double y) {
        const double inside = circleDistance(x, y, cx, cy, kRadius);
        const double shifted = circleDistance(x, y, cx + 1.0, cy + 1.5, kRadius);
        const double lowered = circleDistance(x, y, cx, cy + 1.0, kRadius);
        const double shade = fill(inside, density) * (0.2 + 0.3 * smoothstep(-3, 0.5, shifted));
        const Rgba rim = grey(255, 0.08 * fill(lowered, density) * (1 - fill(inside, density)));
        return over(grey(0, shade), rim);
      });
}

// A raised plate for the Q range switch, with a darker window for its value.
void drawSwitchPlate(Canvas& canvas) {
  const Rect& p = kPlate;
  const double density = canvas.density();
  canvas.paint(p.x0 - 3, p.y0 - 3, p.x1 + 4, p.y1 + 5, [&](double x, double y) {
    const double shadow =
        roundRectDistance(x, y, p.x0 + 0.5, p.y0 + 1.5, p.x1 + 0.5, p.y1 + 1.5, 4);
    return grey(0, 0.4 * soft(shadow, 1.6));
  });
  canvas.paint(p.x0, p.y0, p.x1, p.y1, [&](double x, double y) {
    const double d = roundRectDistance(x, y, p.x0, p.y0, p.x1, p.y1, 4);
    const double t = (y - p.y0) / p.height();
    double level = 64 - 14 * t;
    level += 16 * (1 - smoothstep(0.0, 1.2, y - p.y0));  // the top edge catches the light
    level -= 14 * smoothstep(-1.0, 0.0, d);              // a dark outline all round
    return Rgba{(level - 2) / 255, level / 255, (level + 4) / 255, fill(d, density)};
  });
  const Rect& w = kReadout;
  canvas.paint(w.x0 - 1, w.y0 - 1, w.x1 + 1, w.y1 + 2, [&](double x, double y) {
    const double inside = roundRectDistance(x, y, w.x0, w.y0, w.x1, w.y1, 2.5);
    const double lowered = roundRectDistance(x, y, w.x0, w.y0 + 1, w.x1, w.y1 + 1, 2.5);
    const double shade = fill(inside, density) * (0.42 + 0.2 * (1 - smoothstep(0, 2, y - w.y0)));
    return over(grey(0, shade),
                grey(255, 0.09 * fill(lowered, density) * (1 - fill(inside, density))));
  });
}

// The group's name runs up its left margin, quiet, in spaced capitals. Text is set in pixels, at
// the density's own size, so that it is hinted for the pixels it lands on.
void drawGroupLabel(Canvas& canvas, const Rect& group, const char* name) {
  const double density = canvas.density();
  const Font font(kBoldFontPath, 7 * density, 1 * density);
  const int margin = scaled(1, density);
  Canvas label(font.width(name) + 2 * margin, scaled(kGroupLabelWidth, density));
  font.draw(label, margin, scaled(7, density), name, grey(112));
  const Canvas turned = label.turnedLeft();
  canvas.draw(turned, 0, 0, turned.width(), turned.height(),
              scaled(group.x0 + kGroupLabelInset, density),
              (scaled(group.y0 + group.y1, density) - turned.height()) / 2);
}

void drawCornerMark(Canvas& canvas) {
  const Rect& c = kMenuCorner;
  const Rgba accent = colour(kAccent, 0.92);
  const double centre = (c.x0 + c.x1) / 2.0;
  drawWordmark(canvas, centre, c.y0, 22, withOpacity(accent, 0.85), accent);
  const double density = canvas.density();
  const Font small(kBoldFontPath, 7 * density, 1 * density);
  small.drawCentred(canvas, centre * density, scaled(c.y1 - 4, density), "HARROWMINT", grey(135));
}

}  // namespace

Canvas makeBackground(double density) {
  Canvas canvas(scaled(kBackgroundWidth, density), scaled(kBackgroundHeight, density), density);
  drawPanel(canvas);
  drawRecess(canvas, kFilterGroup, 6);
  drawRecess(canvas, kBlendGroup, 6);
  drawRecess(canvas, kOutputGroup, 6);
  drawGroupLabel(canvas, kFilterGroup, "FILTER");
  drawGroupLabel(canvas, kBlendGroup, "BLEND");
  for (const KnobPlace& knob : kKnobs) drawWell(canvas, knob.centreX(), knob.centreY());
  drawSwitchPlate(canvas);
  drawCornerMark(canvas);
  return canvas;
}

}  // namespace Artwork
