// What Linux hosts do to an editor on X11 that the editor checks replay: a right press as a
// user's mouse gives it, the module's popups found on the root and closed again, and the host's
// own process-wide error handler with the temporary one it swaps in around its calls.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "PlatformValidate.h"
#include "X11Host.h"

namespace validateplatform {

namespace {

constexpr int kDismissWaitMs = 500;
constexpr int kPollMs = 10;

bool hasXTest(Display* display) {
  int event = 0, error = 0, major = 0, minor = 0;
  return XTestQueryExtension(display, &event, &error, &major, &minor);
}

void sendButton(Display* display, Window target, int type, int x, int y, int rootX, int rootY) {
  XEvent event;
  std::memset(&event, 0, sizeof event);
  XButtonEvent& button = event.xbutton;
  button.type = type;
  button.display = display;
  button.window = target;
  button.root = DefaultRootWindow(display);
  button.time = CurrentTime;
  button.x = x;
  button.y = y;
  button.x_root = rootX;
  button.y_root = rootY;
  button.state = type == ButtonRelease ? Button3Mask : 0;
  button.button = Button3;
  button.same_screen = True;
  XSendEvent(display, target, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
             &event);
}

bool shown(Display* display, Window popup) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  bool found = false;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) &&
      children) {
    found = std::find(children, children + count, popup) != children + count;
  }
  if (children) XFree(children);
  XWindowAttributes attributes;
  return found && XGetWindowAttributes(display, popup, &attributes) &&
         attributes.map_state == IsViewable;
}

bool goneWithin(Display* display, Window popup, int ms) {
  for (int waited = 0; waited < ms; waited += kPollMs) {
    if (!shown(display, popup)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  return !shown(display, popup);
}

// Errors that reach the host's handlers, by whether they came from the host's own connection.
Display* gHostDisplay = nullptr;
XErrorHandler gBefore = nullptr;
std::atomic<int> gForeign{0};
std::atomic<int> gFirstCode{0};
std::atomic<int> gFirstRequest{0};

int record(Display* display, XErrorEvent* error) {
  if (display != gHostDisplay && gForeign++ == 0) {
    gFirstCode = error->error_code;
    gFirstRequest = error->request_code;
  }
  return 0;
}
// Two functions, so that the swap is one a plug-in could see.
int hostsOwnHandler(Display* display, XErrorEvent* error) { return record(display, error); }
int hostsTemporaryHandler(Display* display, XErrorEvent* error) { return record(display, error); }

}  // namespace

bool hostPatternsHere(std::string& why) {
  if (x11host::display()) return true;
  why = "no X display";
  return false;
}

void rightPress(void* editorWindow, int x, int y) {
  Display* display = x11host::display();
  if (!display || !editorWindow) return;
  const Window target = static_cast<Window>(reinterpret_cast<uintptr_t>(editorWindow));
  int rootX = x, rootY = y;
  Window child = 0;
  XTranslateCoordinates(display, target, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
  if (hasXTest(display)) {
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(display, Button3, True, CurrentTime);
    XTestFakeButtonEvent(display, Button3, False, CurrentTime);
  } else {
    sendButton(display, target, ButtonPress, x, y, rootX, rootY);
    sendButton(display, target, ButtonRelease, x, y, rootX, rootY);
  }
  XFlush(display);
}

std::vector<unsigned long> popupsOfModule(const ModuleSpan& span) {
  std::vector<unsigned long> found;
  Display* display = x11host::display();
  if (!display) return found;
  XSync(display, False);
  x11host::ProcessClients clients;
  const bool known = x11host::otherConnectionsOfThisProcess(display, clients);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    return found;
  for (unsigned i = 0; i < count; ++i) {
    const Window window = children[i];
    if (x11host::isHostWindow(window) || (known && !clients.owns(window))) continue;
    if (std::find(span.windowsBefore.begin(), span.windowsBefore.end(), window) !=
        span.windowsBefore.end())
      continue;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable)
      found.push_back(window);
  }
  if (children) XFree(children);
  return found;
}

std::string dismissPopup(unsigned long popup) {
  Display* host = x11host::display();
  Display* display = host ? XOpenDisplay(DisplayString(host)) : nullptr;
  if (!display) return "no display to dismiss it from";
  std::string how;
  // A menu grabs the keyboard, so the key reaches it wherever the focus is.
  if (hasXTest(display)) {
    x11host::pressKey(display, popup, XK_Escape, true);
    if (goneWithin(display, popup, kDismissWaitMs)) how = "Escape";
  }
  if (how.empty()) {
    x11host::pressKey(display, popup, XK_Escape, false);
    if (goneWithin(display, popup, kDismissWaitMs)) how = "Escape sent to it";
  }
  if (how.empty()) {
    XDestroyWindow(display, popup);
    how = "destroyed";
  }
  XSync(display, False);
  XCloseDisplay(display);
  return how;
}

HostErrorHandlers::HostErrorHandlers() {
  gHostDisplay = x11host::display();
  gForeign = 0;
  gFirstCode = 0;
  gFirstRequest = 0;
  gBefore = XSetErrorHandler(hostsOwnHandler);
}

HostErrorHandlers::~HostErrorHandlers() { XSetErrorHandler(gBefore); }

void HostErrorHandlers::beginCall() { XSetErrorHandler(hostsTemporaryHandler); }

void HostErrorHandlers::endCall() { XSetErrorHandler(hostsOwnHandler); }

int HostErrorHandlers::foreignErrors(std::string& first) const {
  const int count = gForeign;
  if (count)
    first = "error " + std::to_string(gFirstCode.load()) + " on request " +
            std::to_string(gFirstRequest.load());
  return count;
}

}  // namespace validateplatform
