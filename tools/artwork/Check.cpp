#include "Check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>

#include "Layout.h"
#include "Png.h"
#include "Shapes.h"

namespace Artwork {

namespace {

class Problems {
 public:
  explicit Problems(std::vector<std::string>& list) : list_(list) {}
  // Records the first failure of each kind only, so a broken file gives a readable report.
  void expect(bool ok, const std::string& what) {
    if (ok) return;
    for (const auto& seen : list_)
      if (seen == what) return;
    list_.push_back(what);
  }

 private:
  std::vector<std::string>& list_;
};

bool inside(const Rect& r, uint32_t x, uint32_t y) {
  return static_cast<int>(x) >= r.x0 && static_cast<int>(x) < r.x1 && static_cast<int>(y) >= r.y0 &&
         static_cast<int>(y) < r.y1;
}

double luminance(const PngFile& png, uint32_t x, uint32_t y) {
  return 0.2126 * png.at(x, y, 0) + 0.7152 * png.at(x, y, 1) + 0.0722 * png.at(x, y, 2);
}

bool checkFormat(const PngFile& png, uint32_t width, uint32_t height, const std::string& name,
                 Problems& problems) {
  problems.expect(png.width == width && png.height == height, name + ": wrong size");
  problems.expect(png.bitDepth == 8 && png.colourType == 6 && png.interlace == 0,
                  name + ": not 8-bit RGBA without interlacing");
  return png.width == width && png.height == height && !png.rgba.empty();
}

void checkBackground(const PngFile& png, Problems& problems) {
  if (!checkFormat(png, kBackgroundWidth, kBackgroundHeight, "background", problems)) return;
  for (uint32_t y = 0; y < png.height; ++y)
    for (uint32_t x = 0; x < png.width; ++x)
      problems.expect(png.at(x, y, 3) == 255, "background: not opaque everywhere");

  // White and orange texts need a dark ground wherever the editor writes them.
  auto darkBehind = [&](double centreX, int baseline, int halfWidth, const std::string& what) {
    for (int y = baseline - 9; y <= baseline + 2; ++y)
      for (int x = static_cast<int>(centreX) - halfWidth; x < centreX + halfWidth; ++x)
        problems.expect(luminance(png, x, y) < 72, "background: too light behind " + what);
  };
  for (const KnobPlace& knob : kKnobs) {
    darkBehind(knob.centreX(), knob.captionBaseline(), 30, std::string(knob.caption) + " caption");
    darkBehind(knob.centreX(), knob.valueBaseline(), 30, std::string(knob.caption) + " value");
  }
  const double switchCentre = (kSwitch.x0 + kSwitch.x1) / 2.0;
  darkBehind(switchCentre, kSwitchCaptionBaseline, 22, "switch caption");
  darkBehind(switchCentre, kSwitchValueBaseline, 14, "switch value");

  int accentPixels = 0;
  for (uint32_t y = kMenuCorner.y0; y < png.height; ++y) {
    for (uint32_t x = kMenuCorner.x0; x < png.width; ++x) {
      const int r = png.at(x, y, 0), g = png.at(x, y, 1), b = png.at(x, y, 2);
      if (r > 150 && r > g + 30 && g > b + 30) ++accentPixels;
    }
  }
  problems.expect(accentPixels > 40, "background: no wordmark in the menu corner");
}

void checkFrames(const PngFile& png, Problems& problems) {
  const double centre = kFrameSize / 2.0;
  for (int frame = 0; frame < kFrameCount; ++frame) {
    const uint32_t fx = frameX(frame), fy = frameY(frame);
    for (uint32_t y = 0; y < kFrameSize; ++y) {
      for (uint32_t x = 0; x < kFrameSize; ++x) {
        // Only the indicator may change from frame to frame: the cap and its light stay put.
        const double r = std::hypot(x + 0.5 - centre, y + 0.5 - centre);
        if (r >= kIndicatorOuter + 3 || r <= kIndicatorInner - 3) {
          for (int c = 0; c < 4; ++c)
            problems.expect(png.at(fx + x, fy + y, c) == png.at(x, y, c),
                            "sheet: frames differ away from the indicator");
        }
        // A clear border keeps filtered sampling from picking up the neighbouring frame.
        if (x == 0 || y == 0 || x == kFrameSize - 1 || y == kFrameSize - 1)
          problems.expect(png.at(fx + x, fy + y, 3) == 0, "sheet: frame touches its cell's edge");
      }
    }
    problems.expect(png.at(fx + kFrameSize / 2, fy + kFrameSize / 2, 3) == 255,
                    "sheet: cap not opaque in the middle");
    // The indicator (orange) lies along the frame's angle, and not opposite it.
    const double mid = (kIndicatorInner + kIndicatorOuter) / 2;
    auto orange = [&](double angle) {
      double x, y;
      polar(fx + centre, fy + centre, mid, angle, x, y);
      const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
      return png.at(px, py, 0) > png.at(px, py, 2) + 80;
    };
    problems.expect(orange(frameAngle(frame)), "sheet: indicator not at the frame's angle");
    problems.expect(!orange(frameAngle(frame) + 180),
                    "sheet: indicator opposite the frame's angle");
  }
}

void checkRing(const PngFile& png, Problems& problems) {
  const double cx = kRing.x0 + kRing.width() / 2.0, cy = kRing.y0 + kRing.height() / 2.0;
  // The most opaque pixel around the point, so that the test doesn't hinge on a pixel's edge.
  auto alphaAt = [&](double angle, double radius) {
    double x, y;
    polar(cx, cy, radius, angle, x, y);
    int most = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        most = std::max<int>(
            most, png.at(static_cast<uint32_t>(x) + dx, static_cast<uint32_t>(y) + dy, 3));
    return most;
  };
  problems.expect(alphaAt(0, kScaleRadius) > 60, "sheet: ring has no scale at 12 o'clock");
  problems.expect(alphaAt(-135, kScaleRadius) > 60 && alphaAt(135, kScaleRadius) > 60,
                  "sheet: ring's scale does not reach 7 and 5 o'clock");
  problems.expect(alphaAt(180, kScaleRadius) == 0, "sheet: ring not open at the bottom");
  for (int y = kRing.y0; y < kRing.y1; ++y) {
    for (int x = kRing.x0; x < kRing.x1; ++x) {
      const double r = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      if (r <= kCapRadius + 1 || y + 0.5 - cy >= 21)
        problems.expect(png.at(x, y, 3) == 0, "sheet: ring reaches the cap or the caption");
    }
  }
}

void checkSheet(const PngFile& png, Problems& problems) {
  if (!checkFormat(png, kSheetWidth, kSheetHeight, "sheet", problems)) return;
  int logoPixels = 0;
  for (uint32_t y = 0; y < png.height; ++y) {
    for (uint32_t x = 0; x < png.width; ++x) {
      const int a = png.at(x, y, 3);
      problems.expect(png.at(x, y, 0) <= a && png.at(x, y, 1) <= a && png.at(x, y, 2) <= a,
                      "sheet: not premultiplied");
      const bool used = inside(kFrames, x, y) || inside(kRing, x, y) || inside(kLogo, x, y);
      if (!used) problems.expect(a == 0, "sheet: drawn outside its regions");
      if (inside(kLogo, x, y)) {
        // Greys only, as the editor tints the logo.
        problems.expect(png.at(x, y, 0) == png.at(x, y, 1) && png.at(x, y, 1) == png.at(x, y, 2),
                        "sheet: logo not grey");
        if (a > 200) ++logoPixels;
      }
    }
  }
  problems.expect(logoPixels > 100, "sheet: logo missing");
  checkFrames(png, problems);
  checkRing(png, problems);
}

}  // namespace

std::vector<std::string> checkArtwork(const std::string& folder) {
  std::vector<std::string> list;
  Problems problems(list);
  try {
    checkBackground(readPng(folder + "/background.png"), problems);
    checkSheet(readPng(folder + "/sheet.png"), problems);
  } catch (const std::exception& e) {
    list.push_back(e.what());
  }
  return list;
}

}  // namespace Artwork
