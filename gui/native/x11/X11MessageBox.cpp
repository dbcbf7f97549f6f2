#include "gui/native/x11/X11MessageBox.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/native/x11/PopupMenuModel.h"
#include "gui/native/x11/X11Canvas.h"
#include "gui/native/x11/X11Connection.h"
#include "gui/native/x11/X11Monitors.h"
#include "platform/MessageBox.h"
#include "platform/linux/MessageBoxModel.h"
#include "platform/linux/NoticeSink.h"
#include "text/TextEncoding.h"

namespace Mintwerk {

namespace {

using Mintwerk::GlyphAtlas;
using Mintwerk::MnemonicText;
using Mintwerk::X11Canvas;

constexpr float kPointSize = 9.0f;
// The sign inside the icon: as large as the atlas cells, sized for small text, allow.
constexpr float kMarkPointSize = 11.0f;
constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kLineHeight = 15;
constexpr float kMaxTextWidth = 420.0f;
constexpr int kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 8, kBandHeight = 43;
constexpr int kMinWidth = 180;
constexpr uint32_t kTextArea = 0xFFFFFF, kBand = 0xF0F0F0, kText = 0x000000;
constexpr uint32_t kButtonFace = 0xE1E1E1, kButtonFrame = 0xADADAD, kButtonFocus = 0x0078D7;
constexpr uint32_t kButtonPressed = 0xCCE4F7;
// The window manager hints that leave out minimising, maximising and resizing.
constexpr long kMotifFunctions = 1, kMotifDecorations = 2;
constexpr long kMotifMove = 4, kMotifClose = 32;
constexpr long kMotifBorder = 2, kMotifTitle = 8, kMotifMenu = 16;
constexpr unsigned kIconMask = 0xF0, kIconError = 0x10, kIconQuestion = 0x20, kIconWarning = 0x30,
                   kIconInformation = 0x40;

void setText(Display* display, Window window, Atom name, Atom type, const std::string& bytes) {
  XChangeProperty(display, window, name, type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<int>(bytes.size()));
}

void setUtf8(Display* display, Window window, const char* name, const std::u32string& text) {
  setText(display, window, XInternAtom(display, name, False),
          XInternAtom(display, "UTF8_STRING", False), Mintwerk::encodeUtf8(text));
}

void setAtoms(Display* display, Window window, const char* name, const std::vector<Atom>& atoms) {
  XChangeProperty(display, window, XInternAtom(display, name, False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(atoms.data()),
                  static_cast<int>(atoms.size()));
}

bool hasWmState(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  if (XGetWindowProperty(display, window, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) != Success)
    return false;
  if (data) XFree(data);
  return type != None;
}

// The window a window manager knows for `window` (an editor's child window is not one): the
// nearest ancestor with WM_STATE, else the one just below the root. 0 when `window` is not a
// window (any more).
Window topLevelOf(Display* display, Window window) {
  Window current = window;
  for (int depth = 0; depth < 64 && current; ++depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    if (current == root) return 0;
    if (hasWmState(display, current) || parent == root) return current;
    current = parent;
  }
  return 0;
}

}  // namespace

struct X11MessageBox::Shown {
  Shown(Display* display, const char* text, const char* caption, unsigned flags,
        unsigned long owner)
      : display(display), flags(flags), buttons(Platform::dialogButtons(flags)) {
    focus = Platform::defaultButton(flags);
    placeOnOwnersMonitor(owner);
    // The bytes as a host or chunk gave them, decoded once; everything below takes characters.
    const std::u32string message = Mintwerk::decodeText(text ? text : "");
    const std::u32string title = Mintwerk::decodeText(caption ? caption : "");
    layOut(wrapMessage(message));
    createWindow();
    describeWindow(title, message);
    setWindowManagerHints();
    setSizeAndInputHints();
    XMapRaised(display, window);
  }

  ~Shown() {
    XDestroyWindow(display, window);
    XSync(display, False);
  }

  bool pump() {
    while (!answered && XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (handle(event)) answered = true;
    }
    if (!answered) {
      // A server gone away answers as nobody could.
      pollfd check{ConnectionNumber(display), 0, 0};
      if (poll(&check, 1, 0) > 0 && (check.revents & (POLLHUP | POLLERR))) {
        answer = Platform::conservativeAnswer(flags);
        answered = true;
      }
    }
    XFlush(display);
    return answered;
  }

  void raise() {
    XMapRaised(display, window);
    XFlush(display);
  }

  Display* display;
  bool answered = false;
  int answer = 0;

 private:
  // The screen of the owner's window and the monitor that shows its middle; without an owner
  // (or one that has gone), the monitor under the pointer.
  void placeOnOwnersMonitor(unsigned long owner) {
    screen = DefaultScreen(display);
    ownerTop = 0;
    XWindowAttributes attributes;
    if (owner && XGetWindowAttributes(display, static_cast<Window>(owner), &attributes)) {
      screen = XScreenNumberOfScreen(attributes.screen);
      ownerTop = topLevelOf(display, static_cast<Window>(owner));
    }
    const Window root = RootWindow(display, screen);
    Window child;
    int ox = 0, oy = 0;
    if (ownerTop && XGetWindowAttributes(display, ownerTop, &attributes) &&
        XTranslateCoordinates(display, ownerTop, root, 0, 0, &ox, &oy, &child)) {
      centreX = ox + attributes.width / 2;
      centreY = oy + attributes.height / 2;
      monitor = Mintwerk::monitorAt(display, screen, centreX, centreY);
      return;
    }
    Window pointerRoot = 0;
    int wx = 0, wy = 0;
    unsigned mask = 0;
    int px = DisplayWidth(display, screen) / 2, py = DisplayHeight(display, screen) / 2;
    XQueryPointer(display, root, &pointerRoot, &child, &px, &py, &wx, &wy, &mask);
    monitor = Mintwerk::monitorAt(display, screen, px, py);
    centreX = monitor.x + monitor.width / 2;
    centreY = monitor.y + monitor.height / 2;
  }

  // The lines shown; returns the widest one's width, which the box's width follows.
  float wrapMessage(const std::u32string& message) {
    haveFont = Mintwerk::renderGlyphAtlas("Vera", kPointSize, font, {message});
    auto measure = [this](const std::u32string& s) {
      return haveFont ? X11Canvas::measureText(font, s) : 0.0f;
    };
    lines = Platform::wrapText(message, kMaxTextWidth, measure);
    // The buttons must stay on the screen, whatever the text's length.
    const int room = (monitor.height - 4 * kMargin - kBandHeight - kIconSize) / kLineHeight;
    if (static_cast<int>(lines.size()) > std::max(room, 1)) {
      lines.resize(static_cast<std::size_t>(std::max(room, 1)));
      lines.back() += U"...";
    }
    float widest = 0.0f;
    for (const std::u32string& line : lines) widest = std::max(widest, measure(line));
    return widest;
  }

  void layOut(float widest) {
    icon = flags & kIconMask;
    haveMarkFont = icon && Mintwerk::renderGlyphAtlas("Vera", kMarkPointSize, markFont);
    textX = kMargin + (icon ? kIconSize + 12 : 0);
    const int textHeight = static_cast<int>(lines.size()) * kLineHeight;
    const int areaHeight = std::max(textHeight, icon ? kIconSize : 0);
    textY = kMargin + (areaHeight - textHeight) / 2;
    const int buttonsWidth = static_cast<int>(buttons.size()) * (kButtonWidth + kButtonGap);
    width = std::max({kMinWidth, textX + static_cast<int>(std::ceil(widest)) + kMargin,
                      buttonsWidth + 2 * kMargin - kButtonGap});
    height = kMargin + areaHeight + kMargin + kBandHeight;
  }

  // Over the middle of the owner, kept on the owner's monitor.
  int boxLeft() const {
    return std::max(monitor.x, std::min(centreX - width / 2, monitor.x + monitor.width - width));
  }
  int boxTop() const {
    return std::max(monitor.y, std::min(centreY - height / 2, monitor.y + monitor.height - height));
  }

  void createWindow() {
    const Window root = RootWindow(display, screen);
    visual = DefaultVisual(display, screen);
    depth = DefaultDepth(display, screen);
    XSetWindowAttributes set{};
    set.background_pixel = WhitePixel(display, screen);
    set.border_pixel = BlackPixel(display, screen);
    set.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                     StructureNotifyMask | FocusChangeMask;
    window = XCreateWindow(display, root, boxLeft(), boxTop(), static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, depth, InputOutput, visual,
                           CWBackPixel | CWBorderPixel | CWEventMask, &set);
  }

  void describeWindow(const std::u32string& title, const std::u32string& message) {
    // Window managers read the title in UTF-8; WM_NAME is for those that do not, in Latin-1.
    setText(display, window, XA_WM_NAME, XA_STRING, Mintwerk::encodeLatin1(title));
    setUtf8(display, window, "_NET_WM_NAME", title);
    // For hosts and tests that answer boxes: what the box says and which buttons it has.
    setUtf8(display, window, "_MINTWERK_MESSAGE_TEXT", message);
    const long flagsValue = static_cast<long>(flags);
    XChangeProperty(display, window, XInternAtom(display, "_MINTWERK_MESSAGE_FLAGS", False),
                    XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&flagsValue), 1);
  }

  void setWindowManagerHints() {
    XClassHint hint{const_cast<char*>("messagebox"), const_cast<char*>("Mintwerk")};
    XSetClassHint(display, window, &hint);
    if (ownerTop) XSetTransientForHint(display, window, ownerTop);
    setAtoms(display, window, "_NET_WM_WINDOW_TYPE",
             {XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False)});
    // Above the host's windows, and without a minimise button: a box out of sight would leave
    // its question unanswered, and where the answer is waited for, the host stopped.
    setAtoms(display, window, "_NET_WM_STATE",
             {XInternAtom(display, "_NET_WM_STATE_MODAL", False),
              XInternAtom(display, "_NET_WM_STATE_ABOVE", False)});
    const long motifHints[5] = {kMotifFunctions | kMotifDecorations, kMotifMove | kMotifClose,
                                kMotifBorder | kMotifTitle | kMotifMenu, 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motifHints), 5);
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    const long pid = static_cast<long>(getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  }

  // A fixed size where the layout put it, and the keyboard taken when shown.
  void setSizeAndInputHints() {
    XSizeHints* size = XAllocSizeHints();
    if (size) {
      size->flags = PPosition | PMinSize | PMaxSize;
      size->x = boxLeft();
      size->y = boxTop();
      size->min_width = size->max_width = width;
      size->min_height = size->max_height = height;
      XSetWMNormalHints(display, window, size);
      XFree(size);
    }
    XWMHints* hints = XAllocWMHints();
    if (hints) {
      hints->flags = InputHint | StateHint;
      hints->input = True;
      hints->initial_state = NormalState;
      XSetWMHints(display, window, hints);
      XFree(hints);
    }
  }

  int buttonLeft(int index) const {
    const int count = static_cast<int>(buttons.size());
    return width - kMargin - (count - index) * kButtonWidth - (count - 1 - index) * kButtonGap;
  }
  int buttonTop() const { return height - kBandHeight + (kBandHeight - kButtonHeight) / 2; }
  int buttonAt(int x, int y) const {
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i)
      if (x >= buttonLeft(i) && x < buttonLeft(i) + kButtonWidth && y >= buttonTop() &&
          y < buttonTop() + kButtonHeight)
        return i;
    return -1;
  }

  bool finish(int value) {
    answer = value;
    return true;
  }

  bool handle(XEvent& event) {
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) paint();
        return false;
      case MapNotify:
        // Without a window manager nobody else gives the box the keyboard.
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        return false;
      case UnmapNotify:
        // Minimised after all (a window manager that ignores the hints): back it comes.
        XMapRaised(display, window);
        return false;
      case DestroyNotify:
        return finish(Platform::escapeAnswer(flags));
      case ClientMessage:
        if (event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
          return finish(Platform::escapeAnswer(flags));
        return false;
      case ButtonPress:
        if (event.xbutton.button != Button1) return false;
        pressed = buttonAt(event.xbutton.x, event.xbutton.y);
        if (pressed >= 0) focus = pressed;
        paint();
        return false;
      case ButtonRelease: {
        if (event.xbutton.button != Button1 || pressed < 0) return false;
        const int released = buttonAt(event.xbutton.x, event.xbutton.y);
        const int was = pressed;
        pressed = -1;
        if (released == was) return finish(buttons[was].answer);
        paint();
        return false;
      }
      case KeyPress:
        return key(event.xkey);
      default:
        return false;
    }
  }

  bool key(XKeyEvent& event) {
    char text[8] = {};
    KeySym sym = NoSymbol;
    XLookupString(&event, text, sizeof text, &sym, nullptr);
    const int count = static_cast<int>(buttons.size());
    switch (sym) {
      case XK_Escape:
        return finish(Platform::escapeAnswer(flags));
      case XK_Return:
      case XK_KP_Enter:
      case XK_space:
        return finish(buttons[focus].answer);
      case XK_Tab:
      case XK_Right:
        focus = (focus + 1) % count;
        paint();
        return false;
      case XK_ISO_Left_Tab:
      case XK_Left:
        focus = (focus + count - 1) % count;
        paint();
        return false;
      default:
        break;
    }
    const char32_t typed = Mintwerk::lowerCase(Mintwerk::typedCharacter(sym));
    if (typed && (event.state & (ControlMask | Mod1Mask)) == 0) {
      for (const Platform::DialogButton& button : buttons) {
        const MnemonicText label = Mintwerk::parseMnemonic(button.label);
        if (label.key && label.key == typed) return finish(button.answer);
      }
    }
    return false;
  }

  void drawIcon(X11Canvas& canvas) const {
    const float cx = kMargin + kIconSize / 2.0f, cy = kMargin + kIconSize / 2.0f;
    const char32_t* mark = icon == kIconError ? U"x" : icon == kIconQuestion ? U"?" : U"!";
    const uint32_t colour = icon == kIconError     ? 0xE81123
                            : icon == kIconWarning ? 0xE6A700
                                                   : 0x1A73D9;
    canvas.fillCircle(cx, cy, kIconSize / 2.0f - 1.0f, colour);
    if (icon == kIconInformation) mark = U"i";
    if (!haveMarkFont && !haveFont) return;
    const GlyphAtlas& sign = haveMarkFont ? markFont : font;
    const float w = X11Canvas::measureText(sign, mark);
    canvas.drawText(sign, mark, std::round(cx - w / 2.0f), cy + 5.0f, 0xFFFFFF);
  }

  void paint() {
    X11Canvas canvas(width, height, kTextArea);
    canvas.fill(0, height - kBandHeight, width, kBandHeight, kBand);
    if (icon) drawIcon(canvas);
    if (haveFont) {
      for (std::size_t i = 0; i < lines.size(); ++i)
        canvas.drawText(font, lines[i], static_cast<float>(textX),
                        static_cast<float>(textY + static_cast<int>(i) * kLineHeight + 11), kText);
    }
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
      const int x = buttonLeft(i), y = buttonTop();
      canvas.fill(x, y, kButtonWidth, kButtonHeight, i == pressed ? kButtonPressed : kButtonFace);
      canvas.outline(x, y, kButtonWidth, kButtonHeight, i == focus ? kButtonFocus : kButtonFrame);
      if (i == focus)
        canvas.outline(x + 1, y + 1, kButtonWidth - 2, kButtonHeight - 2, kButtonFocus);
      if (!haveFont) continue;
      const MnemonicText label = Mintwerk::parseMnemonic(buttons[i].label);
      const float w = X11Canvas::measureText(font, label.shown);
      canvas.drawText(font, label.shown, std::floor(x + (kButtonWidth - w) / 2.0f),
                      static_cast<float>(y + 16), kText, label.underline);
    }
    canvas.put(display, window, visual, depth);
  }

  unsigned flags;
  std::vector<Platform::DialogButton> buttons;
  GlyphAtlas font, markFont;
  bool haveFont = false, haveMarkFont = false;
  std::vector<std::u32string> lines;
  unsigned icon = 0;
  int textX = 0, textY = 0, width = 0, height = 0;
  Visual* visual = nullptr;
  int depth = 0;
  Window window = 0;
  Atom deleteWindow = None;
  int focus = 0, pressed = -1;
  int screen = 0;
  Window ownerTop = 0;
  Mintwerk::ScreenArea monitor;
  int centreX = 0, centreY = 0;
};

X11MessageBox::X11MessageBox(const char* text, const char* caption, unsigned flags,
                             unsigned long owner) {
  // A connection of our own, with the module's error handling: an owner that has gone is no
  // reason to end the host.
  Display* display = openOwnDisplay("message box");
  if (display) shown = new Shown(display, text, caption, flags, owner);
}

X11MessageBox::~X11MessageBox() {
  if (!shown) return;
  Display* display = shown->display;
  delete shown;
  closeOwnDisplay(display);
}

bool X11MessageBox::pump() { return !shown || shown->pump(); }

int X11MessageBox::answer() const { return shown ? shown->answer : -1; }

int X11MessageBox::descriptor() const { return shown ? ConnectionNumber(shown->display) : -1; }

void X11MessageBox::raise() {
  if (shown && !shown->answered) shown->raise();
}

int showX11MessageBox(const char* text, const char* caption, unsigned flags, unsigned long owner) {
  X11MessageBox box(text, caption, flags, owner);
  if (!box.isShown()) return -1;
  while (!box.pump()) {
    pollfd waitFor{box.descriptor(), POLLIN, 0};
    poll(&waitFor, 1, 100);
  }
  return box.answer();
}

namespace {
int presentWithoutOwner(const char* text, const char* caption, unsigned flags) {
  return showX11MessageBox(text, caption, flags, 0);
}
}  // namespace

void useX11MessageBoxes() { Platform::setMessageBoxPresenter(presentWithoutOwner); }

}  // namespace Mintwerk
