#include "gui/native/x11/X11Embedding.h"

#include "gui/native/x11/X11Connection.h"

namespace Mintwerk {

namespace {

// The protocol's numbers.
constexpr long kVersion = 0;
constexpr long kFlagMapped = 1 << 0;
enum : long {
  kEmbeddedNotify = 0,
  kWindowActivate = 1,
  kWindowDeactivate = 2,
  kRequestFocus = 3,
  kFocusIn = 4,
  kFocusOut = 5,
  kFocusNext = 6,
  kFocusPrev = 7,
};
enum : long { kFocusCurrent = 0, kFocusFirst = 1, kFocusLast = 2 };

}  // namespace

void X11Embedding::announce(Display* connection, Window own) {
  display = connection;
  window = own;
  xembed = XInternAtom(display, "_XEMBED", False);
  const Atom info = XInternAtom(display, "_XEMBED_INFO", False);
  // Format 32 properties travel as longs in Xlib, whatever their size on the wire.
  const long values[2] = {kVersion, kFlagMapped};
  XChangeProperty(display, window, info, info, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values), 2);
}

bool X11Embedding::handle(const XClientMessageEvent& message) {
  if (!xembed || message.message_type != xembed || message.format != 32) return false;
  const Time time = static_cast<Time>(message.data.l[0]);
  switch (message.data.l[1]) {
    case kEmbeddedNotify:
      embedderWindow = static_cast<Window>(message.data.l[3]);
      break;
    case kWindowActivate:
      windowActive = true;
      break;
    case kWindowDeactivate:
      windowActive = false;
      break;
    case kFocusIn:
      hasFocus = true;
      // Nothing here takes keys: focus that arrives by the host's tab order goes on through it,
      // or the user's Tab would stop here.
      if (message.data.l[2] == kFocusFirst || message.data.l[2] == kFocusLast) {
        hasFocus = false;
        send(message.data.l[2] == kFocusFirst ? kFocusNext : kFocusPrev, 0, time);
      }
      break;
    case kFocusOut:
      hasFocus = false;
      break;
    default:
      break;
  }
  return true;
}

void X11Embedding::pressed(Time time) {
  if (embedderWindow && !hasFocus) send(kRequestFocus, 0, time);
}

void X11Embedding::send(long message, long detail, Time time) {
  if (!embedderWindow) return;
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = embedderWindow;
  event.xclient.message_type = xembed;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(time);
  event.xclient.data.l[1] = message;
  event.xclient.data.l[2] = detail;
  XSendEvent(display, embedderWindow, False, NoEventMask, &event);
  // An embedder gone meanwhile leaves no error behind for the next call that checks.
  syncAndTakeError(display);
}

}  // namespace Mintwerk
