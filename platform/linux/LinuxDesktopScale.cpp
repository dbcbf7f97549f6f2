#include "platform/linux/LinuxDesktopScale.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/XResourceLines.h"

namespace Platform {

namespace {

// A positive finite number that is the whole text (blanks around it allowed), else 0.
double positiveNumber(const char* text) {
  if (!text) return 0.0;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text) return 0.0;
  while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
  return *end == 0 && std::isfinite(value) && value > 0.0 ? value : 0.0;
}

double xftDpi(const char* resources) {
  double dpi = 0.0;
  forEachXResource(resources, [&](const std::string& name, const std::string& value) {
    if (name == "Xft.dpi") dpi = positiveNumber(value.c_str());  // the last one counts
  });
  return dpi;
}

}  // namespace

float desktopScaleFromX11(const char* resources, const char* gdkScale, const char* gdkDpiScale) {
  double scale = xftDpi(resources) / 96.0;
  const double whole = positiveNumber(gdkScale);
  if (whole >= 1.0 && whole == std::floor(whole)) scale = whole;
  if (const double text = positiveNumber(gdkDpiScale)) scale = (scale > 0.0 ? scale : 1.0) * text;
  return static_cast<float>(scale);
}

float desktopScale(void*) {
  // A connection of its own for a moment: the resources come with the connection setup.
  std::string resources;
  if (Display* display = XOpenDisplay(nullptr)) {
    if (const char* text = XResourceManagerString(display)) resources = text;
    XCloseDisplay(display);
  }
  return desktopScaleFromX11(resources.empty() ? nullptr : resources.c_str(),
                             std::getenv("GDK_SCALE"), std::getenv("GDK_DPI_SCALE"));
}

}  // namespace Platform
