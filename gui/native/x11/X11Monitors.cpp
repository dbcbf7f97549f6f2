#include "gui/native/x11/X11Monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <climits>
#include <vector>

namespace Mintwerk {

namespace {

// How far the point lies outside the area (0 inside), as a sum of the two axes' gaps.
long distanceTo(const ScreenArea& area, int x, int y) {
  const long dx = x < area.x                 ? area.x - x
                  : x >= area.x + area.width ? x - (area.x + area.width - 1)
                                             : 0;
  const long dy = y < area.y                  ? area.y - y
                  : y >= area.y + area.height ? y - (area.y + area.height - 1)
                                              : 0;
  return dx + dy;
}

std::vector<ScreenArea> randrMonitors(Display* display, int screen) {
  std::vector<ScreenArea> areas;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 5) || major < 1)
    return areas;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
  for (int i = 0; monitors && i < count; ++i)
    if (monitors[i].width > 0 && monitors[i].height > 0)
      areas.push_back({monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height});
  if (monitors) XRRFreeMonitors(monitors);
  return areas;
}

std::vector<ScreenArea> xineramaHeads(Display* display) {
  std::vector<ScreenArea> areas;
  int eventBase = 0, errorBase = 0;
  if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display))
    return areas;
  int count = 0;
  XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
  for (int i = 0; heads && i < count; ++i)
    if (heads[i].width > 0 && heads[i].height > 0)
      areas.push_back({heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height});
  if (heads) XFree(heads);
  return areas;
}

}  // namespace

ScreenArea monitorAt(Display* display, int screen, int x, int y) {
  ScreenArea whole{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
  std::vector<ScreenArea> areas = randrMonitors(display, screen);
  // Xinerama joins all screens into one, so its heads only describe a display of one screen.
  if (areas.empty() && ScreenCount(display) == 1) areas = xineramaHeads(display);
  const ScreenArea* best = nullptr;
  long bestDistance = LONG_MAX;
  for (const ScreenArea& area : areas) {
    const long distance = distanceTo(area, x, y);
    if (distance < bestDistance) {
      best = &area;
      bestDistance = distance;
    }
  }
  return best ? *best : whole;
}

}  // namespace Mintwerk
