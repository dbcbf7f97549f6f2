#include "platform/linux/LinuxDesktopScale.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

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
  if (!resources) return 0.0;
  const std::string text(resources);
  double dpi = 0.0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    std::size_t first = colon + 1;
    while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
    if (name == "Xft.dpi") dpi = positiveNumber(line.c_str() + first);  // the last one counts
  }
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
