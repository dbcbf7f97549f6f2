#include "Check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <utility>

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

// One file of one density: its pixels and how layout units map onto them.
struct Image {
  const PngFile& png;
  double density;
  std::string name;  // as in messages: "sheet-150"

  int px(double units) const { return scaled(units, density); }
  Rect pixels(const Rect& r) const { return {px(r.x0), px(r.y0), px(r.x1), px(r.y1)}; }
  // The pixel under a place given in units.
  int pixelAt(double units) const { return static_cast<int>(std::floor(units * density)); }
  // The centre of pixel `i`, in units.
  double unitsAt(int i) const { return (i + 0.5) / density; }
  uint8_t at(int x, int y, int channel) const { return png.at(x, y, channel); }
};

bool inside(const Rect& r, int x, int y) { return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1; }

double luminance(const Image& image, int x, int y) {
  return 0.2126 * image.at(x, y, 0) + 0.7152 * image.at(x, y, 1) + 0.0722 * image.at(x, y, 2);
}

bool checkFormat(const Image& image, int width, int height, Problems& problems) {
  const PngFile& png = image.png;
  const bool sized = png.width == static_cast<uint32_t>(image.px(width)) &&
                     png.height == static_cast<uint32_t>(image.px(height));
  problems.expect(sized, image.name + ": wrong size");
  problems.expect(png.bitDepth == 8 && png.colourType == 6 && png.interlace == 0,
                  image.name + ": not 8-bit RGBA without interlacing");
  return sized && !png.rgba.empty();
}

bool checkBackground(const Image& image, Problems& problems) {
  const std::string& name = image.name;
  if (!checkFormat(image, kBackgroundWidth, kBackgroundHeight, problems)) return false;
  const Rect whole = image.pixels({0, 0, kBackgroundWidth, kBackgroundHeight});
  for (int y = 0; y < whole.y1; ++y)
    for (int x = 0; x < whole.x1; ++x)
      problems.expect(image.at(x, y, 3) == 255, name + ": not opaque everywhere");

  // White and orange texts need a dark ground wherever the editor writes them.
  auto darkBehind = [&](double centreX, int baseline, int halfWidth, const std::string& what) {
    for (int y = image.pixelAt(baseline - 9); y < image.px(baseline + 3); ++y)
      for (int x = image.pixelAt(std::floor(centreX) - halfWidth);
           x < std::ceil((centreX + halfWidth) * image.density); ++x)
        problems.expect(luminance(image, x, y) < 72, name + ": too light behind " + what);
  };
  for (const KnobPlace& knob : kKnobs) {
    darkBehind(knob.centreX(), knob.captionBaseline(), 30, std::string(knob.caption) + " caption");
    darkBehind(knob.centreX(), knob.valueBaseline(), 30, std::string(knob.caption) + " value");
  }
  const double switchCentre = (kSwitch.x0 + kSwitch.x1) / 2.0;
  darkBehind(switchCentre, kSwitchCaptionBaseline, 22, "switch caption");
  darkBehind(switchCentre, kSwitchValueBaseline, 14, "switch value");

  const Rect corner = image.pixels(kMenuCorner);
  int accentPixels = 0;
  for (int y = corner.y0; y < corner.y1; ++y) {
    for (int x = corner.x0; x < corner.x1; ++x) {
      const int r = image.at(x, y, 0), g = image.at(x, y, 1), b = image.at(x, y, 2);
      if (r > 150 && r > g + 30 && g > b + 30) ++accentPixels;
    }
  }
  problems.expect(accentPixels > 40 * image.density * image.density,
                  name + ": no wordmark in the menu corner");
  return true;
}

void checkFrames(const Image& image, Problems& problems) {
  const std::string& name = image.name;
  const int size = image.px(kFrameSize);
  const double centre = kFrameSize / 2.0;
  for (int frame = 0; frame < kFrameCount; ++frame) {
    const int fx = image.px(frameX(frame)), fy = image.px(frameY(frame));
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        // Only the indicator may change from frame to frame: the cap and its light stay put.
        const double r = std::hypot(image.unitsAt(x) - centre, image.unitsAt(y) - centre);
        if (r >= kIndicatorOuter + 3 || r <= kIndicatorInner - 3) {
          for (int c = 0; c < 4; ++c)
            problems.expect(image.at(fx + x, fy + y, c) == image.at(x, y, c),
                            name + ": frames differ away from the indicator");
        }
        // A clear border keeps filtered sampling from picking up the neighbouring frame.
        if (x == 0 || y == 0 || x == size - 1 || y == size - 1)
          problems.expect(image.at(fx + x, fy + y, 3) == 0,
                          name + ": frame touches its cell's edge");
      }
    }
    problems.expect(image.at(fx + size / 2, fy + size / 2, 3) == 255,
                    name + ": cap not opaque in the middle");
    // The indicator (orange) lies along the frame's angle, and not opposite it.
    const double mid = (kIndicatorInner + kIndicatorOuter) / 2;
    auto orange = [&](double angle) {
      double x, y;
      polar(frameX(frame) + centre, frameY(frame) + centre, mid, angle, x, y);
      const int px = image.pixelAt(x), py = image.pixelAt(y);
      return image.at(px, py, 0) > image.at(px, py, 2) + 80;
    };
    problems.expect(orange(frameAngle(frame)), name + ": indicator not at the frame's angle");
    problems.expect(!orange(frameAngle(frame) + 180),
                    name + ": indicator opposite the frame's angle");
  }
}

void checkRing(const Image& image, Problems& problems) {
  const std::string& name = image.name;
  const double cx = kRing.x0 + kRing.width() / 2.0, cy = kRing.y0 + kRing.height() / 2.0;
  // The most opaque pixel around the point, so that the test doesn't hinge on a pixel's edge.
  auto alphaAt = [&](double angle, double radius) {
    double x, y;
    polar(cx, cy, radius, angle, x, y);
    int most = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        most = std::max<int>(most, image.at(image.pixelAt(x) + dx, image.pixelAt(y) + dy, 3));
    return most;
  };
  problems.expect(alphaAt(0, kScaleRadius) > 60, name + ": ring has no scale at 12 o'clock");
  problems.expect(alphaAt(-135, kScaleRadius) > 60 && alphaAt(135, kScaleRadius) > 60,
                  name + ": ring's scale does not reach 7 and 5 o'clock");
  problems.expect(alphaAt(180, kScaleRadius) == 0, name + ": ring not open at the bottom");
  const Rect ring = image.pixels(kRing);
  for (int y = ring.y0; y < ring.y1; ++y) {
    for (int x = ring.x0; x < ring.x1; ++x) {
      const double dy = image.unitsAt(y) - cy;
      if (std::hypot(image.unitsAt(x) - cx, dy) <= kCapRadius + 1 || dy >= 21)
        problems.expect(image.at(x, y, 3) == 0, name + ": ring reaches the cap or the caption");
    }
  }
}

bool checkSheet(const Image& image, Problems& problems) {
  const std::string& name = image.name;
  if (!checkFormat(image, kSheetWidth, kSheetHeight, problems)) return false;
  const Rect frames = image.pixels(kFrames), ring = image.pixels(kRing);
  const Rect logo = image.pixels(kLogo);
  int logoPixels = 0;
  for (int y = 0; y < image.px(kSheetHeight); ++y) {
    for (int x = 0; x < image.px(kSheetWidth); ++x) {
      const int a = image.at(x, y, 3);
      problems.expect(image.at(x, y, 0) <= a && image.at(x, y, 1) <= a && image.at(x, y, 2) <= a,
                      name + ": not premultiplied");
      const bool used = inside(frames, x, y) || inside(ring, x, y) || inside(logo, x, y);
      if (!used) problems.expect(a == 0, name + ": drawn outside its regions");
      if (inside(logo, x, y)) {
        // Greys only, as the editor tints the logo.
        problems.expect(
            image.at(x, y, 0) == image.at(x, y, 1) && image.at(x, y, 1) == image.at(x, y, 2),
            name + ": logo not grey");
        if (a > 200) ++logoPixels;
      }
    }
  }
  problems.expect(logoPixels > 100 * image.density * image.density, name + ": logo missing");
  checkFrames(image, problems);
  checkRing(image, problems);
  return true;
}

// A density's image is the 1x image drawn finer: averaged over blocks of whole pixels in both, the
// two agree wherever there are shapes. A place out by a unit moves its edges by a whole 1x pixel,
// far beyond what the finer sampling changes. Letters are hinted anew at each size and so only
// roughly scale: their places are left out.
void checkSameLayout(const Image& one, const Image& dense, const std::vector<Rect>& lettering,
                     Problems& problems) {
  constexpr double kTolerance = 10;  // levels; finer sampling alone stays within 7
  int block = 1;                     // in units, the least that is whole pixels at this density
  while (block * dense.density != std::floor(block * dense.density)) ++block;
  auto mean = [](const Image& image, int x0, int y0, int units, int channel) {
    const int n = image.px(units), px0 = image.px(x0), py0 = image.px(y0);
    double sum = 0;
    for (int y = py0; y < py0 + n; ++y)
      for (int x = px0; x < px0 + n; ++x) sum += image.at(x, y, channel);
    return sum / (n * n);
  };
  const int width = static_cast<int>(one.png.width), height = static_cast<int>(one.png.height);
  for (int y = 0; y + block <= height; y += block) {
    for (int x = 0; x + block <= width; x += block) {
      const Rect here{x, y, x + block, y + block};
      if (std::any_of(lettering.begin(), lettering.end(), [&](const Rect& r) {
            return here.x0 < r.x1 && r.x0 < here.x1 && here.y0 < r.y1 && r.y0 < here.y1;
          }))
        continue;
      for (int c = 0; c < 4; ++c) {
        if (std::abs(mean(dense, x, y, block, c) - mean(one, x, y, block, c)) > kTolerance) {
          problems.expect(false, dense.name + ": not the 1x layout at (" + std::to_string(x) +
                                     ", " + std::to_string(y) + ")");
          return;
        }
      }
    }
  }
}

// Where the images carry letters, with a unit to spare for their anti-aliasing.
std::vector<Rect> backgroundLettering() {
  std::vector<Rect> places{kMenuCorner};
  for (const Rect& group : {kFilterGroup, kBlendGroup}) {
    const int x0 = group.x0 + kGroupLabelInset;
    places.push_back({x0 - 1, group.y0, x0 + kGroupLabelWidth + 1, group.y1});
  }
  return places;
}

}  // namespace

std::vector<std::string> checkArtwork(const std::string& folder) {
  std::vector<std::string> list;
  Problems problems(list);
  // Each kind of image at 1x, once it passes, for the other densities to be compared with.
  PngFile background1x, sheet1x;
  for (double density : kDensities) {
    const std::string suffix = densitySuffix(density);
    auto check = [&](const std::string& kind, bool (*checkImage)(const Image&, Problems&),
                     PngFile& first, const std::vector<Rect>& lettering) {
      try {
        PngFile png = readPng(folder + "/" + kind + suffix + ".png");
        const Image image{png, density, kind + suffix};
        if (!checkImage(image, problems)) return;
        if (density == 1.0)
          first = std::move(png);
        else if (!first.rgba.empty())
          checkSameLayout({first, 1.0, kind}, image, lettering, problems);
      } catch (const std::exception& e) {
        list.push_back(e.what());
      }
    };
    check("background", checkBackground, background1x, backgroundLettering());
    check("sheet", checkSheet, sheet1x, {kLogo});
  }
  return list;
}

}  // namespace Artwork
