#include "platform/linux/LinuxSystemTextSettings.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <strings.h>

#include <cstring>
#include <string>

#include "platform/linux/XResourceLines.h"

namespace Platform {

namespace {

bool isOneOf(const std::string& value, std::initializer_list<const char*> words) {
  for (const char* word : words)
    if (strcasecmp(value.c_str(), word) == 0) return true;
  return false;
}

}  // namespace

TextSmoothingQuery textSmoothingFromResources(const char* resources) {
  TextSmoothingQuery query;
  forEachXResource(resources, [&](const std::string& name, const std::string& value) {
    if (name == "Xft.antialias") {
      if (isOneOf(value, {"1", "true", "yes", "on"})) {
        query.smoothingKnown = query.smoothingOn = true;
      } else if (isOneOf(value, {"0", "false", "no", "off"})) {
        query.smoothingKnown = true;
        query.smoothingOn = false;
      }
    } else if (name == "Xft.rgba") {
      // Our sub-pixel text is horizontal: vertical stripes and "none" get grey text.
      query.typeKnown = true;
      query.type = isOneOf(value, {"rgb", "bgr"}) ? 2 : 1;
      if (query.type == 2) {
        query.orientationKnown = true;
        query.orientation = isOneOf(value, {"rgb"}) ? 1 : 0;
      }
    }
  });
  // Sub-pixel order without a word on smoothing: the desktop smooths, as Xft does by default.
  if (query.typeKnown && query.type == 2 && !query.smoothingKnown)
    query.smoothingKnown = query.smoothingOn = true;
  return query;
}

TextSmoothingQuery queryTextSmoothing() {
  // A connection of its own for a moment: the resources come with the connection setup, and the
  // keyboard query cannot fail, so nothing here can raise an X error.
  Display* display = XOpenDisplay(nullptr);
  if (!display) return TextSmoothingQuery();
  TextSmoothingQuery query = textSmoothingFromResources(XResourceManagerString(display));
  // Shift, Ctrl and Alt held while the fonts are made force grey text, as on Windows.
  char keys[32] = {};
  XQueryKeymap(display, keys);
  auto held = [&](KeySym left, KeySym right) {
    for (KeySym symbol : {left, right}) {
      const KeyCode code = XKeysymToKeycode(display, symbol);
      if (code && (keys[code / 8] & (1 << (code % 8)))) return true;
    }
    return false;
  };
  query.shiftCtrlAltHeld =
      held(XK_Shift_L, XK_Shift_R) && held(XK_Control_L, XK_Control_R) && held(XK_Alt_L, XK_Alt_R);
  XCloseDisplay(display);
  return query;
}

}  // namespace Platform
