#include "gui/native/x11/X11EditorWindow.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <time.h>

#include <cstdio>

#include "dxblit/WindowDevice.h"
#include "gui/native/x11/X11Connection.h"
#include "gui/native/x11/X11MessageBox.h"
#include "platform/MessageBox.h"

namespace Mintwerk {

namespace {

const char* const kLinePrefix = "Editor window";

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | StructureNotifyMask;
constexpr long long kTickNanoseconds = 10000000;  // the poll's 10 ms

long long monotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The plain box, past this thread's notice sink (which is the window asking): it is shown, or
// said on stderr, and answered before this returns.
int boxWaitedFor(const char* text, const char* caption, unsigned flags) {
  Platform::NoticeSink* sink = Platform::setNoticeSink(nullptr);
  const int answer = Platform::messageBox(text, caption, flags);
  Platform::setNoticeSink(sink);
  return answer;
}

}  // namespace

X11EditorWindow::X11EditorWindow(uint32_t windowWidth, uint32_t windowHeight)
    : width(windowWidth), height(windowHeight) {}

X11EditorWindow* X11EditorWindow::create(uint32_t width, uint32_t height, void* parentWindow) {
  auto* window = new X11EditorWindow(width, height);
  if (window->build(static_cast<Window>(reinterpret_cast<uintptr_t>(parentWindow)))) return window;
  delete window;
  return nullptr;
}

bool X11EditorWindow::build(Window parent) {
  Display* display = openOwnDisplay(kLinePrefix);
  if (!display) return false;
  drawable.display = display;
  const bool topLevel = parent == 0;
  XWindowAttributes parentAttributes;
  if (topLevel) parent = DefaultRootWindow(display);
  // A parent id that names no window fails here, with its error swallowed.
  const Status known = XGetWindowAttributes(display, parent, &parentAttributes);
  if (syncAndTakeError(display) || !known) {
    std::fprintf(stderr, "%s: the host's window 0x%lx is not a window\n", kLinePrefix, parent);
    return false;
  }
  const int screen = XScreenNumberOfScreen(parentAttributes.screen);
  screenNumber = screen;
  GLXFBConfig config;
  XVisualInfo* visual = nullptr;
  if (DXBlit::chooseGlxConfig(display, screen, config))
    visual = glXGetVisualFromFBConfig(display, config);
  if (!visual) {
    std::fprintf(stderr, "%s: the X display offers no double-buffered GLX visual\n", kLinePrefix);
    return false;
  }
  const Window root = RootWindow(display, screen);
  colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  XSetWindowAttributes attributes = {};
  attributes.colormap = colormap;
  attributes.event_mask = kEventMask;
  attributes.border_pixel = 0;
  attributes.background_pixmap = None;  // GL paints it all; no flash of a background first
  const Window window = XCreateWindow(
      display, parent, 0, 0, width, height, 0, visual->depth, InputOutput, visual->visual,
      CWColormap | CWEventMask | CWBorderPixel | CWBackPixmap, &attributes);
  XFree(visual);
  if (topLevel) {
    deleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindowAtom, 1);
    XStoreName(display, window, "control");
  }
  XMapWindow(display, window);
  if (syncAndTakeError(display) || !window) {
    // The parent may have gone meanwhile; whatever was made goes with the connection.
    std::fprintf(stderr, "%s: the window could not be made in 0x%lx\n", kLinePrefix, parent);
    return false;
  }
  drawable.window = window;
  watchAncestors();
  addWheelTarget(this);
  handCursor = XCreateFontCursor(display, XC_hand2);
  sizingCursor = XCreateFontCursor(display, XC_sb_v_double_arrow);
  XFlush(display);
  return true;
}

X11EditorWindow::~X11EditorWindow() {
  removeWheelTarget(this);
  dropMenuAndBoxes();
  delete client;  // the root and its tree, while the device still exists
  client = nullptr;
  if (device) device->release();
  Display* display = drawable.display;
  if (!display) return;
  if (grabbed) XUngrabPointer(display, CurrentTime);
  if (drawable.window && !drawable.gone) XDestroyWindow(display, drawable.window);
  if (handCursor) XFreeCursor(display, handCursor);
  if (sizingCursor) XFreeCursor(display, sizingCursor);
  if (colormap) XFreeColormap(display, colormap);
  closeOwnDisplay(display);
}

void X11EditorWindow::attach(WindowClient* windowClient) { client = windowClient; }

void X11EditorWindow::dispose() {
  busy.lock();
  ownerGone = true;
  ticking = false;
  disposed = true;
  const bool now = holds == 0;
  busy.unlock();
  if (now) delete this;  // otherwise the idle call handling this window's events ends it
}

void X11EditorWindow::setTicking(bool on) {
  std::lock_guard<std::recursive_mutex> guard(busy);
  ticking = on && !disposed;
  lastTickNanoseconds = monotonicNanoseconds();
}

void X11EditorWindow::idle(void (*unlockEditor)(void*), void* editor) {
  // Never waits with the editor's lock held: a window busy on another thread (a close releasing
  // it, an idle call there) lets this call go by, and the next one handles what waits.
  if (!busy.try_lock()) {
    unlockEditor(editor);
    return;
  }
  // Held now: a close on another thread waits for this round instead of freeing the window.
  unlockEditor(editor);
  ++holds;
  // A host that calls idle again from one of our callbacks (a gesture's start, say) gets
  // nothing handled in the middle of the control that called it.
  if (!disposed && holds == 1) {
    CursorTarget* previous = setCursorTarget(this);
    Platform::NoticeSink* previousSink = Platform::setNoticeSink(this);
    handlePending();
    Platform::setNoticeSink(previousSink);
    setCursorTarget(previous);
  }
  const bool finished = --holds == 0 && disposed;
  busy.unlock();
  if (finished) delete this;
}

void X11EditorWindow::resize(uint32_t newWidth, uint32_t newHeight) {
  pendingSize.store(uint64_t{newWidth} << 32 | newHeight);
  // Never waits: a window busy on another thread takes the size at its next idle call.
  std::unique_lock<std::recursive_mutex> guard(busy, std::try_to_lock);
  if (guard.owns_lock()) takePendingSize();
}

void X11EditorWindow::takePendingSize() {
  const uint64_t size = pendingSize.exchange(0);
  if (!size || disposed || drawable.gone) return;
  width = static_cast<uint32_t>(size >> 32);
  height = static_cast<uint32_t>(size & 0xFFFFFFFFu);
  XResizeWindow(drawable.display, drawable.window, width, height);
  // A smaller window is not exposed again, and the scene changes its scale with its size.
  needsPaint = true;
  XFlush(drawable.display);
}

void X11EditorWindow::handlePending() {
  takePendingSize();
  Display* display = drawable.display;
  while (!disposed && !drawable.gone && XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    if (menu && event.xany.window == menu->window()) {
      if (menu->handle(event)) endMenu();
      continue;
    }
    handleEvent(event);
  }
  // A window destroyed under us handles nothing more: whoever ends it is on the way.
  if (disposed || drawable.gone) return;
  if (menu && menu->tick()) endMenu();
  if (!disposed) runBoxes();
  if (disposed) return;
  deliverHostWheel();
  if (disposed) return;
  if (ticking && client) {
    const long long now = monotonicNanoseconds();
    // Hosts call idle tens of times a second: one poll per call once 10 ms have passed.
    if (now - lastTickNanoseconds >= kTickNanoseconds) {
      lastTickNanoseconds = now;
      client->tick();
    }
  }
  if (!disposed && needsPaint && !drawable.gone) paint();
  if (!disposed) XFlush(display);
}

void X11EditorWindow::handleEvent(XEvent& event) {
  if (event.xany.window != drawable.window) {
    if (!isAncestor(event.xany.window)) return;
    // A host that hides its own window keeps ours mapped: ours is then out of sight all the same.
    if (event.type == UnmapNotify)
      windowHidden();
    else if (event.type == ReparentNotify)
      watchAncestors();
    return;
  }
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) needsPaint = true;
      return;
    case DestroyNotify:
      if (event.xdestroywindow.window == drawable.window) windowWasDestroyed();
      return;
    case UnmapNotify:
      windowHidden();
      return;
    case ReparentNotify:
      watchAncestors();
      return;
    case ClientMessage:
      if (embedding.handle(event.xclient)) return;
      // The close box of a top-level editor window.
      if (deleteWindowAtom && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom &&
          client && !ownerGone && client->canClose())
        XDestroyWindow(drawable.display, drawable.window);
      return;
    case LeaveNotify:
      // Crossings made by grabs are the capture's business, not the pointer leaving.
      if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior)
        if (client) client->pointerLeft();
      return;
    case MotionNotify: {
      // Only the latest of several moves in a row matters; a press or release between them
      // keeps its place.
      while (XPending(drawable.display)) {
        XEvent next;
        XPeekEvent(drawable.display, &next);
        if (next.type != MotionNotify || next.xany.window != drawable.window) break;
        XNextEvent(drawable.display, &event);
      }
      const XMotionEvent& motion = event.xmotion;
      // A drag whose release we never saw (it happened while the window was hidden, say) ends
      // here: a move with no button held moves no value.
      if (client && !(motion.state & (Button1Mask | Button2Mask | Button3Mask)))
        client->dragEnded();
      if (disposed) return;
      cursorAsked = false;
      if (client)
        client->pointer(pointer.translate(
            {XPointerEvent::kMotion, 0, motion.x, motion.y, motion.state, motion.time}));
      // Where no control asked for a cursor, the window shows its parent's again.
      if (!cursorAsked && !disposed) setCursorShape(-1);
      return;
    }
    case ButtonPress:
    case ButtonRelease: {
      // A question is up: the editor waits for its answer, and a press asks for it again.
      if (!boxes.empty()) {
        if (event.type == ButtonPress && boxes.front().shown) boxes.front().shown->raise();
        pointer.forgetPresses();
        return;
      }
      const XButtonEvent& button = event.xbutton;
      if (event.type == ButtonPress) embedding.pressed(button.time);
      if (client)
        client->pointer(pointer.translate(
            {event.type == ButtonPress ? XPointerEvent::kPress : XPointerEvent::kRelease,
             button.button, button.x, button.y, button.state, button.time}));
      return;
    }
    default:
      return;
  }
}

// The menu has closed: its end, then its choice, go to the root.
void X11EditorWindow::endMenu() {
  const int chosen = menu->chosen();
  menu.reset();
  needsPaint = true;
  pointer.forgetPresses();
  if (!client) return;
  client->menuEnded();
  followPointer();
  if (disposed || !client) return;
  client->menuChosen(chosen);
}

void X11EditorWindow::closeMenuUnchosen() {
  if (!menu) return;
  menu.reset();
  needsPaint = true;
  pointer.forgetPresses();
  if (!client) return;
  client->menuEnded();
  client->menuChosen(-1);
}

// The front box runs until answered; then its action, and the next box shows.
void X11EditorWindow::runBoxes() {
  while (!disposed && !boxes.empty()) {
    Box& front = boxes.front();
    int answer = -1;
    if (!front.shown) {
      front.shown.reset(new X11MessageBox(front.text.c_str(), front.caption.c_str(), front.flags,
                                          drawable.gone ? 0 : drawable.window));
      // No display for the box: the plain box says it on stderr and answers as nobody could.
      if (!front.shown->isShown())
        answer = boxWaitedFor(front.text.c_str(), front.caption.c_str(), front.flags);
    }
    if (answer < 0) {
      if (!front.shown->pump()) return;
      answer = front.shown->answer();
    }
    std::function<void(int)> then = std::move(front.then);
    boxes.pop_front();
    pointer.forgetPresses();
    if (then) then(answer);
  }
}

// Every question is answered Cancel, as if the user had pressed it; notices stay to be read.
void X11EditorWindow::cancelQuestions() {
  std::vector<std::function<void(int)>> cancelled;
  for (auto box = boxes.begin(); box != boxes.end();) {
    if (box->then) {
      cancelled.push_back(std::move(box->then));
      box = boxes.erase(box);
    } else {
      ++box;
    }
  }
  if (cancelled.empty()) return;
  pointer.forgetPresses();
  for (auto& then : cancelled) then(Platform::kIdCancel);
}

void X11EditorWindow::dropMenuAndBoxes() {
  // Nothing chosen or answered now runs: the window that asked has gone.
  closeMenuUnchosen();
  boxes.clear();
}

// Listens for the unmapping of every window above ours; asked again when one of them, or ours,
// moves to another parent.
void X11EditorWindow::watchAncestors() {
  Display* display = drawable.display;
  for (Window above : ancestors) XSelectInput(display, above, NoEventMask);
  ancestors.clear();
  Window at = drawable.window;
  for (;;) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, at, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (!parent || parent == root) break;
    // Our own mask on the host's window: the host's own selection is its connection's.
    XSelectInput(display, parent, StructureNotifyMask);
    ancestors.push_back(parent);
    at = parent;
  }
  // One gone meanwhile is simply not watched; its error must not reach a later check.
  syncAndTakeError(display);
}

bool X11EditorWindow::isAncestor(Window window) const {
  for (Window above : ancestors)
    if (above == window) return true;
  return false;
}

// Out of sight: nobody can use a menu or answer a question there, and a menu left up would hold
// the pointer and the keyboard for good. The menu closes unchosen, questions are cancelled, and
// a drag or hover look ends, since no release or leave will come.
void X11EditorWindow::windowHidden() {
  closeMenuUnchosen();
  if (disposed) return;
  cancelQuestions();
  if (disposed || !client) return;
  client->dragEnded();
  client->pointerLeft();
}

// Where the pointer is in our window, when it is over ours and no other window lies above it.
bool X11EditorWindow::pointerOverWindow(int& x, int& y, unsigned& state) {
  Display* display = drawable.display;
  Window under = DefaultRootWindow(display), child = 0, root = 0;
  int rootX = 0, rootY = 0;
  while (XQueryPointer(display, under, &root, &child, &rootX, &rootY, &x, &y, &state) && child)
    under = child;
  return !syncAndTakeError(display) && under == drawable.window;
}

// A menu had the pointer, and its crossings were the grab's: a pointer that is no longer over
// the editor leaves it now. One still over it moves on with its next motion.
void X11EditorWindow::followPointer() {
  if (!client || drawable.gone) return;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned state = 0;
  const bool sameScreen = XQueryPointer(drawable.display, drawable.window, &root, &child, &rootX,
                                        &rootY, &x, &y, &state);
  if (syncAndTakeError(drawable.display)) return;
  if (!sameScreen || x < 0 || y < 0 || x >= static_cast<int>(width) ||
      y >= static_cast<int>(height))
    client->pointerLeft();
}

void X11EditorWindow::showNotice(const char* text, const char* caption, unsigned flags) {
  if (disposed || drawable.gone) {
    // Nobody will run the box later: shown now, as a box without a window would be.
    boxWaitedFor(text, caption, flags);
    return;
  }
  boxes.push_back({text ? text : "", caption ? caption : "", flags, nullptr, nullptr});
}

void X11EditorWindow::windowWasDestroyed() {
  // The host's window went, and ours with it: tell the owner, who lets go of this window after
  // its drawing resources are released on a stand-in surface.
  drawable.gone = true;
  grabbed = false;
  const bool tell = !ownerGone;
  ownerGone = true;
  ticking = false;
  dropMenuAndBoxes();
  // The last hold ends the object, unless a close on another thread took it from its owner
  // first: that close releases and disposes it, and must find it alive.
  if (!tell || !client || client->windowEnded()) disposed = true;
}

// A window destroyed with its parent before we read the notice: found in the queue, so that
// no GL or X work goes to an id that is dead (or, later, someone else's).
bool X11EditorWindow::noticeDestruction() {
  if (drawable.gone || !drawable.display) return drawable.gone;
  XSync(drawable.display, False);
  XEvent event;
  if (XCheckTypedWindowEvent(drawable.display, drawable.window, DestroyNotify, &event))
    drawable.gone = true;
  return drawable.gone;
}

void X11EditorWindow::paint() {
  needsPaint = false;
  if (client) client->paint();
}

void X11EditorWindow::render(DXBlit::Scene& scene, float scale) {
  if (!device) device = DXBlit::createWindowDevice(&drawable);
  device->render(scene, scale);
}

void X11EditorWindow::paintBlack() {
  if (device) {
    device->release();
    device = nullptr;
  }
  GC gc = XCreateGC(drawable.display, drawable.window, 0, nullptr);
  XSetForeground(drawable.display, gc, 0);
  XFillRectangle(drawable.display, drawable.window, gc, 0, 0, width, height);
  XFreeGC(drawable.display, gc);
}

void X11EditorWindow::confirmThen(const char* caption, const char* text,
                                  std::function<void()> onOk) {
  const unsigned flags = Platform::kMbOkCancel | Platform::kMbIconQuestion | Platform::kMbTaskModal;
  std::lock_guard<std::recursive_mutex> guard(busy);
  if (disposed || drawable.gone) return;
  boxes.push_back({text ? text : "", caption ? caption : "", flags,
                   [onOk = std::move(onOk)](int answer) {
                     if (answer == Platform::kIdOk && onOk) onOk();
                   },
                   nullptr});
  // Shown now, not at the next idle call.
  runBoxes();
}

bool X11EditorWindow::confirm(const char* caption, const char* text) {
  const unsigned flags = Platform::kMbOkCancel | Platform::kMbIconQuestion | Platform::kMbTaskModal;
  int answer = -1;
  if (!drawable.gone) answer = showX11MessageBox(text, caption, flags, drawable.window);
  // No display for the dialog: the plain box says it on stderr and answers Cancel.
  if (answer < 0) answer = Platform::messageBox(text, caption, flags);
  pointer.forgetPresses();
  return answer == Platform::kIdOk;
}

void X11EditorWindow::invalidate() { needsPaint = true; }

void X11EditorWindow::releaseResources() {
  std::lock_guard<std::recursive_mutex> guard(busy);
  if (!device) return;
  noticeDestruction();
  if (client) client->releaseResources();
  device->release();
  device = nullptr;
}

void X11EditorWindow::offerEmbedding() {
  std::lock_guard<std::recursive_mutex> guard(busy);
  if (disposed || drawable.gone) return;
  embedding.announce(drawable.display, drawable.window);
  // The embedder looks for it, on its own connection, as soon as the view is attached.
  XSync(drawable.display, False);
}

void X11EditorWindow::releaseGrab() {
  if (!grabbed) return;
  grabbed = false;
  if (!drawable.gone) XUngrabPointer(drawable.display, CurrentTime);
}

void X11EditorWindow::grabPointer() {
  if (!drawable.gone && !grabbed)
    grabbed = XGrabPointer(drawable.display, drawable.window, False,
                           ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                           GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
}

void X11EditorWindow::releasePointer() { releaseGrab(); }

bool X11EditorWindow::canShowMenu() {
  std::lock_guard<std::recursive_mutex> guard(busy);
  return !drawable.gone && !disposed;
}

int X11EditorWindow::showMenu(const std::vector<MenuEntry>& entries, int x, int y, float scale) {
  std::lock_guard<std::recursive_mutex> guard(busy);
  if (drawable.gone || disposed) return 0;
  // One menu at a time: one still up goes without a choice.
  menu.reset();
  needsPaint = true;
  int rootX = x, rootY = y;
  Window child = 0;
  XTranslateCoordinates(drawable.display, drawable.window,
                        RootWindow(drawable.display, screenNumber), x, y, &rootX, &rootY, &child);
  // The root has taken a drag in progress from its control: the pointer is the menu's.
  releaseGrab();
  menu.reset(new X11PopupMenu(drawable.display, screenNumber, rootX, rootY, entries, scale));
  // The pointer and the keyboard are the menu's at once, where no other client holds them: a
  // key pressed right after the click already reaches it. Its end comes at a later idle call.
  menu->tick();
  XFlush(drawable.display);
  return 0;
}

bool X11EditorWindow::takeWheelUnderPointer(float delta) {
  // Never waits for a window that is busy (a menu may be up): the turn is then simply not ours.
  std::unique_lock<std::recursive_mutex> guard(busy, std::try_to_lock);
  if (!guard.owns_lock() || disposed || drawable.gone) return false;
  // The deepest window under the pointer must be this one: not a host window lying over it.
  int x = 0, y = 0;
  unsigned state = 0;
  if (!pointerOverWindow(x, y, state)) return false;
  hostWheel += delta;
  hostWheelX = x;
  hostWheelY = y;
  hostWheelModifiers = ((state & ShiftMask) ? 1 : 0) | ((state & ControlMask) ? 2 : 0);
  return true;
}

void X11EditorWindow::deliverHostWheel() {
  if (hostWheel == 0.0f) return;
  PointerEvent wheel;
  wheel.kind = PointerEvent::kWheel;
  wheel.x = hostWheelX;
  wheel.y = hostWheelY;
  wheel.delta = hostWheel;
  wheel.modifiers = hostWheelModifiers;
  hostWheel = 0.0f;
  if (client) client->pointer(wheel);
}

void X11EditorWindow::showCursor(CursorShape shape) {
  cursorAsked = true;
  setCursorShape(static_cast<int>(shape));
}

void X11EditorWindow::setCursorShape(int shape) {
  if (shape == cursorShape || drawable.gone) return;
  cursorShape = shape;
  if (shape < 0)
    XUndefineCursor(drawable.display, drawable.window);
  else
    XDefineCursor(drawable.display, drawable.window,
                  shape == static_cast<int>(CursorShape::kHand) ? handCursor : sizingCursor);
}

}  // namespace Mintwerk
