#include "gui/native/x11/X11PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <time.h>

#include <cmath>
#include <cstdlib>

#include "gui/native/x11/PopupMenuModel.h"
#include "gui/native/x11/X11Canvas.h"
#include "gui/native/x11/X11Monitors.h"
#include "text/TextEncoding.h"

namespace Mintwerk {

namespace {

constexpr float kMenuPointSize = 9.0f;
constexpr uint32_t kMenuBackground = 0xF2F2F2;
constexpr uint32_t kMenuFrame = 0x979797;
constexpr uint32_t kMenuHighlight = 0x91C9F7;
constexpr uint32_t kMenuText = 0x000000;
constexpr uint32_t kMenuGreyText = 0x8D8D8D;
constexpr uint32_t kMenuSeparator = 0xD0D0D0;
// A grab held by another client (a host in the middle of its own drag) is usually let go within
// moments; a menu that cannot have the pointer could never be dismissed, so it gives up.
constexpr long long kGrabPatienceNs = 250LL * 1000 * 1000;
// Pointer travel that turns the release of the opening press into a choice.
constexpr int kDragThreshold = 4;

// What hosts and tests read to see the menu, in UTF-8: one line per entry, "--" for a
// separator, the text as given (with its "&"), and a tab and "grey" after a disabled item, a tab
// and "checked" after a checked one.
std::string describeEntries(const std::vector<MenuEntry>& entries) {
  std::string out;
  for (const MenuEntry& e : entries) {
    if (!out.empty()) out += '\n';
    out += e.separator ? std::string("--")
                       : encodeUtf8(decodeText(e.text)) + (e.enabled ? "" : "\tgrey") +
                             (e.checked ? "\tchecked" : "");
  }
  return out;
}

// Every character the items hold, so that the menu's atlas has a glyph for each.
std::vector<std::u32string> itemTexts(const std::vector<MenuEntry>& entries) {
  std::vector<std::u32string> texts;
  for (const MenuEntry& e : entries)
    if (!e.separator) texts.push_back(decodeText(e.text));
  return texts;
}

}  // namespace

struct X11PopupMenu::Shown {
  Shown(Display* display, int screen, int x, int y, const std::vector<MenuEntry>& entries,
        float scale)
      : display(display),
        metrics(scaledMetrics(scale)),
        haveFont(renderGlyphAtlas("Vera", kMenuPointSize * scale, font, itemTexts(entries))),
        model(
            entries,
            [this](const std::u32string& s) {
              return haveFont ? X11Canvas::measureText(font, s) : 0.0f;
            },
            metrics),
        scale(scale) {
    visual = DefaultVisual(display, screen);
    depth = DefaultDepth(display, screen);
    int left, top;
    placeMenu(x, y, model.width(), model.height(), monitorAt(display, screen, x, y), left, top);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.border_pixel = BlackPixel(display, screen);
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | LeaveWindowMask | StructureNotifyMask;
    window = XCreateWindow(
        display, RootWindow(display, screen), left, top, static_cast<unsigned>(model.width()),
        static_cast<unsigned>(model.height()), 0, depth, InputOutput, visual,
        CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XClassHint hint{const_cast<char*>("popupmenu"), const_cast<char*>("Mintwerk")};
    XSetClassHint(display, window, &hint);
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom popup = XInternAtom(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&popup), 1);
    const std::string items = describeEntries(entries);
    XChangeProperty(display, window, XInternAtom(display, "_MINTWERK_MENU_ITEMS", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(items.data()),
                    static_cast<int>(items.size()));
    XMapRaised(display, window);
    clock_gettime(CLOCK_MONOTONIC, &opened);
  }

  ~Shown() {
    if (pointerGrabbed) XUngrabPointer(display, CurrentTime);
    if (keyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
    XDestroyWindow(display, window);
    XSync(display, False);
    // Whatever the server sent to the menu before it went is of no use to anyone.
    XEvent event;
    while (XCheckIfEvent(display, &event, forMenu, reinterpret_cast<XPointer>(&window))) {
    }
  }

  bool tick() {
    if (ended) return true;
    if (!(pointerGrabbed && keyboardGrabbed)) {
      if (!grab()) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long waited =
            (now.tv_sec - opened.tv_sec) * 1000000000LL + (now.tv_nsec - opened.tv_nsec);
        if (waited > kGrabPatienceNs) return end(-1);
        return false;
      }
      // Where the pointer was when the menu took it: the opening press's release there
      // chooses nothing.
      Window root, child;
      int rootX, rootY;
      unsigned mask;
      if (!XQueryPointer(display, window, &root, &child, &rootX, &rootY, &startX, &startY, &mask))
        startX = startY = -10000;
    }
    XEvent event;
    while (!ended && XCheckIfEvent(display, &event, forMenu, reinterpret_cast<XPointer>(&window)))
      handle(event);
    XFlush(display);
    return ended;
  }

  bool handle(XEvent& event) {
    if (!ended && react(event)) end(result);
    return ended;
  }

  static Bool forMenu(Display*, XEvent* event, XPointer window) {
    return event->xany.window == *reinterpret_cast<Window*>(window);
  }

  Window window = 0;
  bool ended = false;
  int result = -1;

 private:
  bool grab() {
    if (!pointerGrabbed)
      pointerGrabbed =
          XGrabPointer(display, window, False,
                       ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask,
                       GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!keyboardGrabbed)
      keyboardGrabbed = XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync,
                                      CurrentTime) == GrabSuccess;
    return pointerGrabbed && keyboardGrabbed;
  }

  bool end(int id) {
    result = id;
    ended = true;
    // The pointer and keyboard go back at once, not when the owner gets round to the object.
    if (pointerGrabbed) XUngrabPointer(display, CurrentTime);
    if (keyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
    pointerGrabbed = keyboardGrabbed = false;
    XUnmapWindow(display, window);
    XFlush(display);
    return true;
  }

  bool inside(int x, int y) const {
    return x >= 0 && y >= 0 && x < model.width() && y < model.height();
  }

  // True when the index is an item that can be chosen: the menu ends with its id.
  bool choose(int index) {
    if (!model.selectable(index)) return false;
    result = model.entry(index).id;
    return true;
  }

  void setSelection(int before) {
    if (model.selected() != before) paint();
  }

  // True when the event ends the menu (with `result` set by a choice).
  bool react(XEvent& event) {
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) paint();
        return false;
      case DestroyNotify:
      case UnmapNotify:
        return true;
      case MotionNotify: {
        const int before = model.selected();
        const int x = event.xmotion.x, y = event.xmotion.y;
        if (std::abs(x - startX) + std::abs(y - startY) > kDragThreshold) armed = true;
        if (inside(x, y))
          model.hover(x, y);
        else if (model.selected() >= 0)
          model.hover(-1, -1);
        setSelection(before);
        return false;
      }
      case LeaveNotify: {
        const int before = model.selected();
        model.hover(-1, -1);
        setSelection(before);
        return false;
      }
      case ButtonPress: {
        if (event.xbutton.button > Button3) return false;  // wheel notches
        if (!inside(event.xbutton.x, event.xbutton.y)) return true;
        armed = true;
        const int before = model.selected();
        model.hover(event.xbutton.x, event.xbutton.y);
        setSelection(before);
        return false;
      }
      case ButtonRelease: {
        // The release of the press that opened the menu chooses nothing unless the pointer has
        // travelled to an item since.
        if (event.xbutton.button > Button3 || !armed) return false;
        if (!inside(event.xbutton.x, event.xbutton.y)) return false;
        return choose(model.hit(event.xbutton.x, event.xbutton.y));
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
    const int before = model.selected();
    switch (sym) {
      case XK_Escape:
        return true;
      case XK_Up:
      case XK_KP_Up:
        model.move(-1);
        setSelection(before);
        return false;
      case XK_Down:
      case XK_KP_Down:
        model.move(1);
        setSelection(before);
        return false;
      case XK_Return:
      case XK_KP_Enter:
        return choose(model.selected());
      default:
        break;
    }
    const char32_t typed = typedCharacter(sym);
    if (typed && (event.state & (ControlMask | Mod1Mask)) == 0) {
      const int index = model.mnemonic(typed);
      setSelection(before);
      if (index >= 0) return choose(index);
    }
    return false;
  }

  void paint() {
    X11Canvas canvas(model.width(), model.height(), kMenuBackground);
    canvas.outline(0, 0, model.width(), model.height(), kMenuFrame);
    for (int i = 0; i < model.count(); ++i) {
      const int top = model.itemTop(i), height = model.itemHeight(i);
      if (model.entry(i).separator) {
        canvas.fill(metrics.border + metrics.textLeft - 4, top + height / 2,
                    model.width() - 2 * metrics.border - metrics.textLeft + 2, 1, kMenuSeparator);
        continue;
      }
      if (i == model.selected())
        canvas.fill(metrics.border, top, model.width() - 2 * metrics.border, height,
                    kMenuHighlight);
      const uint32_t ink = model.entry(i).enabled ? kMenuText : kMenuGreyText;
      // The one size in force: a dot in the margin, as a choice among several is marked.
      if (model.entry(i).checked)
        canvas.fillCircle(metrics.border + metrics.textLeft * 0.5f, top + height * 0.5f,
                          3.0f * scale, ink);
      if (haveFont) {
        const MnemonicText& text = model.text(i);
        canvas.drawText(font, text.shown, static_cast<float>(metrics.border + metrics.textLeft),
                        static_cast<float>(top + height / 2 + std::lround(4 * scale)), ink,
                        text.underline);
      }
    }
    canvas.put(display, window, visual, depth);
  }

  Display* display;
  MenuMetrics metrics;
  GlyphAtlas font;
  bool haveFont;
  PopupMenuModel model;
  float scale;
  Visual* visual = nullptr;
  int depth = 0;
  bool pointerGrabbed = false, keyboardGrabbed = false;
  bool armed = false;
  int startX = -10000, startY = -10000;
  timespec opened{};
};

X11PopupMenu::X11PopupMenu(Display* display, int screen, int x, int y,
                           const std::vector<MenuEntry>& entries, float scale)
    : shown(new Shown(display, screen, x, y, entries, scale)) {}

X11PopupMenu::~X11PopupMenu() { delete shown; }

unsigned long X11PopupMenu::window() const { return shown->window; }

bool X11PopupMenu::handle(XEvent& event) { return shown->handle(event); }

bool X11PopupMenu::tick() { return shown->tick(); }

int X11PopupMenu::chosen() const { return shown->ended ? shown->result : -1; }

int runPopupMenu(Display* display, int x, int y, const std::vector<MenuEntry>& entries) {
  if (!display || entries.empty()) return -1;
  X11PopupMenu menu(display, DefaultScreen(display), x, y, entries);
  const int fd = ConnectionNumber(display);
  while (!menu.tick()) {
    pollfd waitFor{fd, POLLIN, 0};
    // A short wait: Xlib may already hold events it read while flushing.
    if (poll(&waitFor, 1, 10) > 0 && (waitFor.revents & (POLLHUP | POLLERR))) return -1;
  }
  return menu.chosen();
}

}  // namespace Mintwerk
