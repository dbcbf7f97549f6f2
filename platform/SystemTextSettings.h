// How the user's system wants text smoothed, and the keyboard chord that overrides it.
#pragma once

namespace Platform {

struct TextSmoothingQuery {
  bool smoothingKnown = false;  // the system answered whether it smooths fonts
  bool smoothingOn = false;
  bool typeKnown = false;
  int type = 0;  // 2: per-channel (subpixel) smoothing
  bool orientationKnown = false;
  int orientation = 1;  // 1: red-green-blue, 0: blue-green-red
  bool shiftCtrlAltHeld = false;
};

// Asks the system now. Where there is no such setting everything is unknown: grey text.
TextSmoothingQuery queryTextSmoothing();

}  // namespace Platform
