// Where the editor puts its controls and where the sheet keeps its images: the artwork, the
// preview and the checker all follow these places.
#pragma once

#include <cmath>
#include <string>

namespace Artwork {

// The editor's images come at these pixel densities; all places below are in units of the first,
// so a density's image is the 1x layout with every place multiplied by it.
constexpr double kDensities[] = {1.0, 1.5, 2.0, 3.0};

// A length or place of the layout in pixels at `density`: whole for every region we keep.
inline int scaled(double units, double density) {
  return static_cast<int>(std::lround(units * density));
}

// What a density's file names carry before ".png": nothing at 1x, "-150" at 1.5x.
inline std::string densitySuffix(double density) {
  const long percent = std::lround(density * 100);
  return percent == 100 ? std::string() : "-" + std::to_string(percent);
}

struct Rect {
  int x0, y0, x1, y1;  // x1, y1 exclusive
  int width() const { return x1 - x0; }
  int height() const { return y1 - y0; }
};

struct KnobPlace {
  const char* caption;
  int x, y;               // the control's 80 x 80 box
  double previewValue;    // 0..1, for the preview
  const char* valueText;  // what the editor would show at that value, for the preview
  double centreX() const { return x + 40.0; }
  double centreY() const { return y + 36.0; }
  int captionBaseline() const { return y + 66; }
  int valueBaseline() const { return y + 78; }
};

constexpr KnobPlace kKnobs[] = {
    {"cutoff", 10, 0, 1.0, "20.0 kHz"}, {"resonance", 90, 0, 0.5, "50 %"},
    {"drive", 170, 0, 0.0, "0.0 dB"},   {"morph", 10, 100, 0.0, "LP"},
    {"bandpass", 90, 100, 0.0, "0 %"},  {"wet mix", 170, 100, 1.0, "100 %"},
    {"output", 250, 60, 0.5, "0.0 dB"},
};

constexpr int kBackgroundWidth = 340, kBackgroundHeight = 190;
// The panel's groups of controls. Each has its name running up its left margin, in a column this
// far in and this wide.
constexpr Rect kFilterGroup{5, 4, 246, 87};
constexpr Rect kBlendGroup{5, 96, 246, 187};
constexpr Rect kOutputGroup{252, 4, 335, 150};
constexpr int kGroupLabelInset = 4, kGroupLabelWidth = 9;
constexpr Rect kSwitch{250, 30, 330, 54};
constexpr int kSwitchCaptionBaseline = 39, kSwitchValueBaseline = 52;
constexpr Rect kMenuCorner{251, 161, kBackgroundWidth, kBackgroundHeight};
constexpr unsigned kAccent = 0xF3A429;

constexpr int kSheetWidth = 600, kSheetHeight = 480;
constexpr int kFrameCount = 96, kFrameSize = 40, kFramesPerRow = 8;
constexpr Rect kFrames{0, 0, kFramesPerRow* kFrameSize, 12 * kFrameSize};
constexpr Rect kRing{320, 0, 400, 80};
constexpr Rect kLogo{422, 50, 512, 80};
// The editor draws the ring this far above the knob's box; the ring's centre is the knob's centre.
constexpr int kRingOffsetY = -4;

// The indicator's angle, clockwise from 12 o'clock: 7 o'clock at frame 0, 5 o'clock at the last.
inline double frameAngle(int frame) { return -135.0 + 270.0 * frame / (kFrameCount - 1); }
inline int frameX(int frame) { return kFrames.x0 + frame % kFramesPerRow * kFrameSize; }
inline int frameY(int frame) { return kFrames.y0 + frame / kFramesPerRow * kFrameSize; }

// The cap's geometry, relative to the centre of its frame.
constexpr double kCapRadius = 16.5;
constexpr double kFaceRadius = 13.0;
constexpr double kIndicatorInner = 4.5, kIndicatorOuter = 12.0;
// The ring's scale, relative to the centre of its region.
constexpr double kScaleRadius = 22.5;
constexpr double kTickOuter = 26.5;
constexpr int kTickCount = 11;

}  // namespace Artwork
