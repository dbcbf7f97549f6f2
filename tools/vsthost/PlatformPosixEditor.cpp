// The editor's host window on X11: a top-level window of ours whose id the plug-in gets as its
// parent, a loop that calls the tick every 10 ms, input sent as X events (synthesized with
// XSendEvent, or real through XTEST), and the editor's pixels read back from the server.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

#include "Format.h"
#include "Platform.h"
#include "X11DialogWatcher.h"
#include "X11Host.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTickMs = 10;
constexpr int kMenuWaitMs = 300;
constexpr int kMenuSearchMs = 2000;
constexpr int kDragSteps = 10;
constexpr int kMapWaitMs = 2000;
// Apart by more than any double-click time, so that separate clicks stay separate.
constexpr unsigned long kClickSpacingMs = 1000;
constexpr unsigned kWheelUp = 4, kWheelDown = 5;
// A window manager applies a resize when it gets round to it.
constexpr int kResizeWaitMs = 1000;
constexpr int kOpenAttempts = 10;
constexpr int kOpenRetryMs = 50;

Display* gDisplay = nullptr;
bool gTriedDisplay = false;
std::atomic<int> gErrors{0};
std::set<Window> gHostWindows;
bool gRealInput = false;
// Server time at a known moment, so synthesized events carry times the server would give.
Time gServerTimeBase = 0;
Clock::time_point gServerTimeAt;
unsigned long gLastStamp = 0;
Atom gDeleteWindow = None;
Atom gXEmbed = None;  // set once a plug-in's window is embedded

// XEmbed's messages by their numbers in the protocol.
const char* const kXEmbedNames[] = {"embedded-notify", "window-activate", "window-deactivate",
                                    "request-focus",   "focus-in",        "focus-out",
                                    "focus-next",      "focus-prev"};
constexpr long kXEmbedEmbeddedNotify = 0, kXEmbedWindowActivate = 1, kXEmbedFocusIn = 4;
constexpr long kXEmbedFocusFirst = 1, kXEmbedMapped = 1;
std::thread gMenuWatcher;
// The plug-in window's damage, while frames are counted.
Damage gDamage = 0;
int gDamageEvents = -1;
int gFrames = -1;

// Errors are counted, never fatal: a plug-in's window may be gone by the time we ask about it.
int onXError(Display*, XErrorEvent*) {
  ++gErrors;
  return 0;
}

int64_t msSince(Clock::time_point then) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - then).count();
}

// A moment of the server's clock for a synthesized event; never earlier than the last one.
Time stamp(unsigned long after = 0) {
  unsigned long now = gServerTimeBase + static_cast<unsigned long>(msSince(gServerTimeAt));
  if (now < gLastStamp + after) now = gLastStamp + after;
  gLastStamp = now;
  return now;
}

// A server that has just seen many connections come and go refuses some at once (its queue of
// connections to accept is full); a moment later it takes them.
Display* openDisplay() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  Display* display = nullptr;
  for (int attempt = 0; attempt < kOpenAttempts && !display; ++attempt) {
    if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(kOpenRetryMs));
    display = XOpenDisplay(nullptr);
  }
  return display;
}

Window asWindow(void* handle) { return static_cast<Window>(reinterpret_cast<uintptr_t>(handle)); }
void* asHandle(Window window) { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

// Children of `window`, bottom first; empty when it has none or is gone.
std::vector<Window> childrenOf(Display* display, Window window) {
  std::vector<Window> result;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) && children)
    result.assign(children, children + count);
  if (children) XFree(children);
  return result;
}

// Neither larger nor smaller, since the editor decides its size; a window manager keeps to it.
void fixSize(Display* display, Window window, int width, int height) {
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = width;
  hints->min_height = hints->max_height = height;
  XSetWMNormalHints(display, window, hints);
  XFree(hints);
}

bool waitForEvent(Display* display, Window window, int type, int ms, XEvent& event) {
  const Clock::time_point start = Clock::now();
  while (msSince(start) < ms) {
    if (XCheckTypedWindowEvent(display, window, type, &event)) return true;
    pollfd descriptor = {ConnectionNumber(display), POLLIN, 0};
    poll(&descriptor, 1, 5);
  }
  return false;
}

// The server's clock, read from the time of a property change on our own window.
void readServerTime(Display* display, Window window) {
  const Atom atom = XInternAtom(display, "VSTHOST_TIME", False);
  const unsigned char nothing = 0;
  XChangeProperty(display, window, atom, XA_STRING, 8, PropModeReplace, &nothing, 0);
  XEvent event;
  gServerTimeAt = Clock::now();
  gServerTimeBase = waitForEvent(display, window, PropertyNotify, 500, event)
                        ? event.xproperty.time
                        : static_cast<Time>(msSince(Clock::time_point()));
  gLastStamp = 0;
}

// Handles what the server sent our own windows; true once the user asked to close ours.
bool handleOwnEvents(Window ours) {
  bool closeAsked = false;
  while (XPending(gDisplay)) {
    XEvent event;
    XNextEvent(gDisplay, &event);
    if (event.type == ClientMessage && event.xclient.window == ours &&
        static_cast<Atom>(event.xclient.data.l[0]) == gDeleteWindow)
      closeAsked = true;
    if (event.type == ClientMessage && event.xclient.window == ours && gXEmbed &&
        event.xclient.message_type == gXEmbed) {
      const long message = event.xclient.data.l[1];
      printFact("xembedMessage",
                message >= 0 && message < 8 ? kXEmbedNames[message] : std::to_string(message));
    }
    if (gDamage && event.type == gDamageEvents + XDamageNotify) {
      // Taken away again, so that the next drawing is news.
      XDamageSubtract(gDisplay, gDamage, None, None);
      ++gFrames;
    }
  }
  return closeAsked;
}

void rootPoint(Window window, int x, int y, int& rootX, int& rootY) {
  Window child = 0;
  rootX = x;
  rootY = y;
  XTranslateCoordinates(gDisplay, window, DefaultRootWindow(gDisplay), x, y, &rootX, &rootY,
                        &child);
}

// One pointer event as the server would send it to the window under the pointer.
void sendPointer(Window target, int type, int x, int y, unsigned state, unsigned button,
                 unsigned long after = 0) {
  XEvent event;
  std::memset(&event, 0, sizeof event);
  int rootX = 0, rootY = 0;
  rootPoint(target, x, y, rootX, rootY);
  long mask = 0;
  if (type == MotionNotify) {
    XMotionEvent& motion = event.xmotion;
    motion.type = MotionNotify;
    motion.display = gDisplay;
    motion.window = target;
    motion.root = DefaultRootWindow(gDisplay);
    motion.time = stamp(after);
    motion.x = x;
    motion.y = y;
    motion.x_root = rootX;
    motion.y_root = rootY;
    motion.state = state;
    motion.same_screen = True;
    mask = PointerMotionMask | ButtonMotionMask | Button1MotionMask | Button3MotionMask;
  } else {
    XButtonEvent& press = event.xbutton;
    press.type = type;
    press.display = gDisplay;
    press.window = target;
    press.root = DefaultRootWindow(gDisplay);
    press.time = stamp(after);
    press.x = x;
    press.y = y;
    press.x_root = rootX;
    press.y_root = rootY;
    press.state = state;
    press.button = button;
    press.same_screen = True;
    mask = type == ButtonPress ? ButtonPressMask : ButtonReleaseMask;
  }
  XSendEvent(gDisplay, target, False, mask, &event);
}

// The same through XTEST: the server moves its pointer and presses its buttons, so grabs and
// the window under the pointer decide who gets what, as with a user's mouse.
void realMove(Window target, int x, int y) {
  int rootX = 0, rootY = 0;
  rootPoint(target, x, y, rootX, rootY);
  XTestFakeMotionEvent(gDisplay, DefaultScreen(gDisplay), rootX, rootY, CurrentTime);
}

void realButton(unsigned button, bool down, unsigned long delayMs = 0) {
  XTestFakeButtonEvent(gDisplay, button, down ? True : False, delayMs);
}

Window editorOf(void* window) {
  if (!gDisplay || !window) return 0;
  const std::vector<Window> children = childrenOf(gDisplay, asWindow(window));
  return children.empty() ? 0 : children.front();
}

// Top-level windows that cover others without a window manager: where popup menus live.
std::vector<Window> shownOverrideRedirect(Display* display) {
  std::vector<Window> found;
  for (Window window : childrenOf(display, DefaultRootWindow(display))) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable)
      found.push_back(window);
  }
  return found;
}

// The menu's items, when its window lists them (one per line: "--" for a separator, a tab and
// "grey" after a disabled item's text).
void printMenuItems(Display* display, Window menu) {
  const Atom property = XInternAtom(display, "_MINTWERK_MENU_ITEMS", True);
  if (property == None) return;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, menu, property, 0, 1 << 16, False, AnyPropertyType, &type,
                         &format, &count, &left, &data) != Success ||
      !data) {
    return;
  }
  const std::string all(reinterpret_cast<char*>(data), count);
  XFree(data);
  size_t start = 0;
  for (int number = 1; start < all.size(); ++number) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    start = end + 1;
    if (line == "--") {
      printFact("menuItem", std::to_string(number) + " --");
      continue;
    }
    const size_t tab = line.find('\t');
    const bool grey = tab != std::string::npos && line.substr(tab + 1) == "grey";
    if (tab != std::string::npos) line.resize(tab);
    printFact("menuItem", std::to_string(number) + " " + quoted(line) + (grey ? " grey" : ""));
  }
}

// On a thread and a connection of its own, since the menu runs its loop inside the plug-in's
// effEditIdle on ours: waits for a popup that was not there before the click, prints its items,
// then dismisses it or chooses item `answer` with Down and Return.
void answerMenu(std::string displayName, std::vector<Window> before, int answer, bool real) {
  Display* display = XOpenDisplay(displayName.c_str());
  if (!display) return;
  // Told of every window shown on the root from now on: the search below sleeps until one is.
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(kMenuWaitMs));
  const Clock::time_point start = Clock::now();
  Window menu = 0;
  for (;;) {
    for (Window window : shownOverrideRedirect(display))
      if (std::find(before.begin(), before.end(), window) == before.end()) menu = window;
    const int64_t left = kMenuSearchMs - msSince(start);
    if (menu || left <= 0) break;
    // The news itself does not matter: any of it is a reason to look again.
    if (!XPending(display)) {
      pollfd descriptor = {ConnectionNumber(display), POLLIN, 0};
      poll(&descriptor, 1, static_cast<int>(left));
    }
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
    }
  }
  if (menu) {
    printMenuItems(display, menu);
    if (answer == 0) {
      printFact("input", "menu dismissed");
      x11host::pressKey(display, menu, XK_Escape, real);
    } else {
      printFact("input", "menu item " + std::to_string(answer));
      for (int i = 0; i < answer; ++i) x11host::pressKey(display, menu, XK_Down, real);
      x11host::pressKey(display, menu, XK_Return, real);
    }
  }
  XSync(display, False);
  XCloseDisplay(display);
}

void joinMenuWatcher() {
  if (gMenuWatcher.joinable()) gMenuWatcher.join();
}

bool uniform(const std::vector<uint8_t>& rgb) {
  for (size_t i = 3; i + 2 < rgb.size(); i += 3)
    if (rgb[i] != rgb[0] || rgb[i + 1] != rgb[1] || rgb[i + 2] != rgb[2]) return false;
  return true;
}

int shiftOf(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

void answerMessageBoxes(MessageBoxButton button) {
  if (button == kNoAnswer) return;
  x11dialogs::start(button == kAnswerYes  ? x11dialogs::Answer::yes
                    : button == kAnswerNo ? x11dialogs::Answer::no
                                          : x11dialogs::Answer::ok,
                    true);
}

namespace x11host {

void pressKey(Display* display, Window menu, KeySym symbol, bool real) {
  const KeyCode code = XKeysymToKeycode(display, symbol);
  if (real) {
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
  } else {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    XKeyEvent& key = event.xkey;
    key.display = display;
    key.window = menu;
    key.root = DefaultRootWindow(display);
    key.time = CurrentTime;
    key.keycode = code;
    key.same_screen = True;
    key.type = KeyPress;
    XSendEvent(display, menu, False, KeyPressMask, &event);
    key.type = KeyRelease;
    XSendEvent(display, menu, False, KeyReleaseMask, &event);
  }
  XFlush(display);
}

Display* display() {
  if (!gTriedDisplay) {
    gTriedDisplay = true;
    XSetErrorHandler(onXError);
    gDisplay = openDisplay();
    if (gDisplay) gDeleteWindow = XInternAtom(gDisplay, "WM_DELETE_WINDOW", False);
  }
  return gDisplay;
}

std::vector<Window> allWindows(Display* display) {
  std::vector<Window> found;
  std::vector<Window> pending = {DefaultRootWindow(display)};
  while (!pending.empty()) {
    const Window window = pending.back();
    pending.pop_back();
    for (Window child : childrenOf(display, window)) {
      found.push_back(child);
      pending.push_back(child);
    }
  }
  return found;
}

bool isHostWindow(Window window) { return gHostWindows.count(window) != 0; }

int openSockets() {
  int count = 0;
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return 0;
  while (dirent* entry = readdir(folder)) {
    char path[300], target[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%s", entry->d_name);
    const ssize_t length = readlink(path, target, sizeof target - 1);
    if (length > 0 && std::strncmp(target, "socket:", 7) == 0) ++count;
  }
  closedir(folder);
  return count;
}

}  // namespace x11host

// Only with a display to open windows on. The validator asks before it forks a process per check,
// so the connection tried here is not kept: a child that wrote to an inherited connection would
// leave the next child's requests out of step with the server.
bool EditorHost::supported() {
  if (gDisplay) return true;
  Display* display = openDisplay();
  if (display) XCloseDisplay(display);
  return display != nullptr;
}

bool EditorHost::realInputSupported() {
  Display* display = x11host::display();
  int event = 0, error = 0, major = 0, minor = 0;
  return display && XTestQueryExtension(display, &event, &error, &major, &minor);
}

void EditorHost::useRealInput(bool real) { gRealInput = real; }

EditorHost::~EditorHost() { destroy(); }

bool EditorHost::create(const std::string& title, int width, int height, std::string& error) {
  Display* display = x11host::display();
  if (!display) {
    error = "cannot open the X display '" + std::string(XDisplayName(nullptr)) + "'";
    return false;
  }
  const int screen = DefaultScreen(display);
  const Window window =
      XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                          BlackPixel(display, screen), BlackPixel(display, screen));
  if (!window) {
    error = "XCreateSimpleWindow failed";
    return false;
  }
  XStoreName(display, window, title.c_str());
  XSetWMProtocols(display, window, &gDeleteWindow, 1);
  fixSize(display, window, width, height);
  XSelectInput(display, window, StructureNotifyMask | PropertyChangeMask);
  XMapWindow(display, window);
  XEvent event;
  if (!waitForEvent(display, window, MapNotify, kMapWaitMs, event)) {
    XDestroyWindow(display, window);
    XSync(display, False);
    error = "our window was not shown within " + std::to_string(kMapWaitMs) + " ms";
    return false;
  }
  readServerTime(display, window);
  gHostWindows.insert(window);
  window_ = asHandle(window);
  return true;
}

void* EditorHost::editorWindow() const {
  const Window editor = editorOf(window_);
  return editor ? asHandle(editor) : nullptr;
}

bool EditorHost::resize(int width, int height, std::string& error) {
  if (!window_ || !gDisplay) {
    error = "no window";
    return false;
  }
  const Window window = asWindow(window_);
  // The hints first: a window manager would hold the window to the old ones.
  fixSize(gDisplay, window, width, height);
  XResizeWindow(gDisplay, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFlush(gDisplay);
  const Clock::time_point start = Clock::now();
  int nowWidth = 0, nowHeight = 0;
  while (clientSize(nowWidth, nowHeight) && (nowWidth != width || nowHeight != height) &&
         msSince(start) < kResizeWaitMs) {
    pollfd descriptor = {ConnectionNumber(gDisplay), POLLIN, 0};
    poll(&descriptor, 1, kTickMs);
  }
  if (nowWidth == width && nowHeight == height) return true;
  error = "still " + std::to_string(nowWidth) + "x" + std::to_string(nowHeight) + " after " +
          std::to_string(kResizeWaitMs) + " ms";
  return false;
}

bool EditorHost::clientSize(int& width, int& height) const {
  XWindowAttributes attributes;
  if (!window_ || !gDisplay || !XGetWindowAttributes(gDisplay, asWindow(window_), &attributes))
    return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

void EditorHost::run(const std::function<bool()>& tick) {
  const Window ours = asWindow(window_);
  Clock::time_point next = Clock::now();
  for (;;) {
    if (handleOwnEvents(ours)) {
      closedByUser_ = true;
      break;
    }
    if (Clock::now() >= next) {
      if (!tick()) break;
      next += std::chrono::milliseconds(kTickMs);
      if (next < Clock::now()) next = Clock::now() + std::chrono::milliseconds(kTickMs);
      continue;  // what the tick was sent is handled before we sleep
    }
    // Asleep until the server has news or the tick is due. Rounded up: the last fraction of a
    // millisecond before the tick must not become a loop that never sleeps.
    const int64_t wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    pollfd descriptor = {ConnectionNumber(gDisplay), POLLIN, 0};
    poll(&descriptor, 1, static_cast<int>(std::max<int64_t>(wait, 1)));
  }
  joinMenuWatcher();
}

void EditorHost::click(int x, int y) {
  const Window target = editorOf(window_);
  if (!target) return;
  if (gRealInput) {
    realMove(target, x, y);
    realButton(Button1, true);
    realButton(Button1, false);
  } else {
    sendPointer(target, MotionNotify, x, y, 0, 0, kClickSpacingMs);
    sendPointer(target, ButtonPress, x, y, 0, Button1);
    sendPointer(target, ButtonRelease, x, y, Button1Mask, Button1, 1);
  }
  XFlush(gDisplay);
}

void EditorHost::doubleClick(int x, int y) {
  const Window target = editorOf(window_);
  if (!target) return;
  if (gRealInput) {
    realMove(target, x, y);
    for (int i = 0; i < 2; ++i) {
      realButton(Button1, true);
      realButton(Button1, false);
    }
  } else {
    sendPointer(target, MotionNotify, x, y, 0, 0, kClickSpacingMs);
    for (int i = 0; i < 2; ++i) {
      sendPointer(target, ButtonPress, x, y, 0, Button1, 1);
      sendPointer(target, ButtonRelease, x, y, Button1Mask, Button1, 1);
    }
  }
  XFlush(gDisplay);
}

void EditorHost::drag(int x, int y, int dx, int dy) {
  const Window target = editorOf(window_);
  if (!target) return;
  if (gRealInput) {
    realMove(target, x, y);
    realButton(Button1, true);
    for (int step = 1; step <= kDragSteps; ++step)
      realMove(target, x + dx * step / kDragSteps, y + dy * step / kDragSteps);
    realButton(Button1, false);
  } else {
    sendPointer(target, MotionNotify, x, y, 0, 0, kClickSpacingMs);
    sendPointer(target, ButtonPress, x, y, 0, Button1);
    for (int step = 1; step <= kDragSteps; ++step)
      sendPointer(target, MotionNotify, x + dx * step / kDragSteps, y + dy * step / kDragSteps,
                  Button1Mask, 0, 1);
    sendPointer(target, ButtonRelease, x + dx, y + dy, Button1Mask, Button1, 1);
  }
  XFlush(gDisplay);
}

void EditorHost::wheel(int x, int y, int notches) {
  const Window target = editorOf(window_);
  if (!target) return;
  // X has no wheel: each notch is a press and release of button 4 (away) or 5 (towards).
  const unsigned button = notches > 0 ? kWheelUp : kWheelDown;
  const int count = notches > 0 ? notches : -notches;
  if (gRealInput) {
    realMove(target, x, y);
    for (int i = 0; i < count; ++i) {
      realButton(button, true);
      realButton(button, false);
    }
  } else {
    sendPointer(target, MotionNotify, x, y, 0, 0, kClickSpacingMs);
    for (int i = 0; i < count; ++i) {
      sendPointer(target, ButtonPress, x, y, 0, button, 1);
      sendPointer(target, ButtonRelease, x, y, 0, button, 1);
    }
  }
  XFlush(gDisplay);
}

void EditorHost::rightClick(int x, int y, int answerMenu) {
  const Window target = editorOf(window_);
  if (!target) return;
  joinMenuWatcher();
  gMenuWatcher = std::thread(::answerMenu, std::string(DisplayString(gDisplay)),
                             shownOverrideRedirect(gDisplay), answerMenu, gRealInput);
  if (gRealInput) {
    realMove(target, x, y);
    realButton(Button3, true);
    realButton(Button3, false);
  } else {
    sendPointer(target, MotionNotify, x, y, 0, 0, kClickSpacingMs);
    sendPointer(target, ButtonPress, x, y, 0, Button3);
    sendPointer(target, ButtonRelease, x, y, Button3Mask, Button3, 1);
  }
  XFlush(gDisplay);
}

bool EditorHost::capture(std::vector<uint8_t>& rgb, int& width, int& height, std::string& error) {
  const Window target = editorOf(window_);
  if (!target) {
    error = "the plug-in has no window in ours";
    return false;
  }
  XSync(gDisplay, False);
  const int errorsBefore = gErrors;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(gDisplay, target, &attributes)) {
    error = "the plug-in's window is gone";
    return false;
  }
  width = attributes.width;
  height = attributes.height;
  if (width <= 0 || height <= 0) {
    error = "the plug-in's window is empty";
    return false;
  }
  XImage* image = XGetImage(gDisplay, target, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  XSync(gDisplay, False);
  if (!image || gErrors != errorsBefore) {
    if (image) XDestroyImage(image);
    error = "XGetImage of the plug-in's window failed (not viewable?)";
    return false;
  }
  const unsigned long masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
  int shifts[3], bits[3];
  for (int c = 0; c < 3; ++c) {
    shifts[c] = shiftOf(masks[c]);
    bits[c] = __builtin_popcountl(masks[c]);
  }
  rgb.resize(static_cast<size_t>(width) * height * 3);
  uint8_t* out = rgb.data();
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const unsigned long pixel = XGetPixel(image, column, row);
      for (int c = 0; c < 3; ++c) {
        const unsigned long value = (pixel & masks[c]) >> shifts[c];
        const unsigned long top = bits[c] > 0 ? (1ul << bits[c]) - 1 : 1;
        *out++ = static_cast<uint8_t>(value * 255 / top);
      }
    }
  }
  XDestroyImage(image);
  return true;
}

bool EditorHost::hasFrame() {
  std::vector<uint8_t> rgb;
  int width = 0, height = 0;
  std::string error;
  return capture(rgb, width, height, error) && !uniform(rgb);
}

bool EditorHost::xembed(bool embed, long& version, long& flags) {
  const Window client = editorOf(window_);
  if (!client) return false;
  const Atom info = XInternAtom(gDisplay, "_XEMBED_INFO", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(gDisplay, client, info, 0, 2, False, info, &type, &format,
                                        &count, &after, &data) == Success &&
                     type == info && format == 32 && count == 2;
  if (found) {
    version = reinterpret_cast<const long*>(data)[0];
    flags = reinterpret_cast<const long*>(data)[1];
  }
  if (data) XFree(data);
  if (!found || !embed) return found;
  gXEmbed = XInternAtom(gDisplay, "_XEMBED", False);
  const auto send = [&](long message, long detail, long data1, long data2) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = gXEmbed;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(stamp());
    event.xclient.data.l[1] = message;
    event.xclient.data.l[2] = detail;
    event.xclient.data.l[3] = data1;
    event.xclient.data.l[4] = data2;
    XSendEvent(gDisplay, client, False, NoEventMask, &event);
  };
  // The window is ours already (a child of our window); the embedder maps it when it asks to be.
  send(kXEmbedEmbeddedNotify, 0, static_cast<long>(asWindow(window_)), 0);
  if (flags & kXEmbedMapped) XMapWindow(gDisplay, client);
  send(kXEmbedWindowActivate, 0, 0, 0);
  send(kXEmbedFocusIn, kXEmbedFocusFirst, 0, 0);
  XFlush(gDisplay);
  return true;
}

void EditorHost::countFrames() {
  int error = 0;
  const Window editor = editorOf(window_);
  if (!editor || gDamage || !XDamageQueryExtension(gDisplay, &gDamageEvents, &error)) return;
  gDamage = XDamageCreate(gDisplay, editor, XDamageReportNonEmpty);
  // A new damage object of a window starts out with all of it damaged: that is no frame.
  XDamageSubtract(gDisplay, gDamage, None, None);
  XSync(gDisplay, False);
  XEvent event;
  while (XCheckTypedEvent(gDisplay, gDamageEvents + XDamageNotify, &event)) {
  }
  gFrames = 0;
}

int EditorHost::framesCounted() const { return gFrames; }

void EditorHost::destroy() {
  if (gDamage) {
    // The plug-in's window, and its damage with it, may be gone already: an error then, counted.
    XDamageDestroy(gDisplay, gDamage);
    gDamage = 0;
  }
  joinMenuWatcher();
  if (window_ && gDisplay) {
    const Window window = asWindow(window_);
    XDestroyWindow(gDisplay, window);
    XSync(gDisplay, False);
    gHostWindows.erase(window);
  }
  window_ = nullptr;
}

void EditorHost::pump(int ms) {
  if (!gDisplay) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  const Clock::time_point start = Clock::now();
  for (;;) {
    XSync(gDisplay, False);
    while (XPending(gDisplay)) {
      XEvent event;
      XNextEvent(gDisplay, &event);
    }
    const int64_t left = ms - msSince(start);
    if (left <= 0) return;
    pollfd descriptor = {ConnectionNumber(gDisplay), POLLIN, 0};
    poll(&descriptor, 1, static_cast<int>(std::min<int64_t>(left, kTickMs)));
  }
}

int EditorHost::childCount() const {
  if (!window_ || !gDisplay) return 0;
  return static_cast<int>(childrenOf(gDisplay, asWindow(window_)).size());
}
