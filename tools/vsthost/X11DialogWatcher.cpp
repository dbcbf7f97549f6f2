#include "X11DialogWatcher.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "AskedBoxes.h"
#include "Format.h"
#include "X11Host.h"

// For XESetWireToError: Xlib's per-connection hook, which its public header leaves out. Last,
// since it defines min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace x11dialogs {

namespace {

std::mutex startLock;
AskedBoxes record;
// The process whose watcher runs: a forked child inherits the flag, not the thread.
pid_t watchingFor = 0;

// The validator forks a process per check while the watcher may be noting a box: the locks are
// held across fork, so that the child never starts with one its parent's watcher took.
void beforeFork() {
  startLock.lock();
  record.lock();
}
void afterFork() {
  record.unlock();
  startLock.unlock();
}

// A window we ask about may be gone by then. Its errors are this connection's own business and
// never reach the process-wide handler, which a host (or the validator playing one) may own.
Bool dropError(Display*, XErrorEvent*, xError*) { return False; }

// The plug-in's boxes keep their text as UTF-8; the plug-in gave it in Latin-1, as the system's
// boxes show it.
std::string latin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(utf8[i]);
    if ((byte == 0xC2 || byte == 0xC3) && i + 1 < utf8.size()) {
      out +=
          static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

class Watcher {
 public:
  Watcher(Display* display, Answer answer, bool print)
      : display_(display), answer_(answer), print_(print) {
    messageText_ = atom("_MINTWERK_MESSAGE_TEXT");
    messageFlags_ = atom("_MINTWERK_MESSAGE_FLAGS");
    pid_ = atom("_NET_WM_PID");
    windowType_ = atom("_NET_WM_WINDOW_TYPE");
    dialogType_ = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    protocols_ = atom("WM_PROTOCOLS");
    deleteWindow_ = atom("WM_DELETE_WINDOW");
  }

  void run() {
    for (int screen = 0; screen < ScreenCount(display_); ++screen) {
      const Window root = RootWindow(display_, screen);
      XSelectInput(display_, root, SubstructureNotifyMask);
      // Boxes that were up before we looked.
      Window rootReturn = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      if (XQueryTree(display_, root, &rootReturn, &parent, &children, &count) && children) {
        for (unsigned i = 0; i < count; ++i) follow(children[i]);
      }
      if (children) XFree(children);
    }
    XFlush(display_);
    // Asleep until the server has news: a box costs us nothing while none is shown.
    for (;;) {
      while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
      }
      pollfd descriptor{ConnectionNumber(display_), POLLIN, 0};
      if (poll(&descriptor, 1, -1) > 0 && (descriptor.revents & (POLLHUP | POLLERR))) return;
    }
  }

 private:
  Atom atom(const char* name) { return XInternAtom(display_, name, False); }

  void handle(const XEvent& event) {
    switch (event.type) {
      case CreateNotify:
        if (!event.xcreatewindow.override_redirect) follow(event.xcreatewindow.window);
        break;
      case PropertyNotify: {
        const Atom changed = event.xproperty.atom;
        if (changed == pid_ || changed == messageFlags_ || changed == windowType_ ||
            changed == protocols_ || changed == XA_WM_TRANSIENT_FOR)
          examine(event.xproperty.window);
        break;
      }
      case DestroyNotify:
        answered_.erase(event.xdestroywindow.window);
        break;
      default:
        break;
    }
  }

  // Its properties come after it exists: from now on each change is news.
  void follow(Window window) {
    XSelectInput(display_, window, PropertyChangeMask | StructureNotifyMask);
    examine(window);
  }

  bool cardinal(Window window, Atom property, long& value) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display_, window, property, 0, 1, False, XA_CARDINAL,
                                          &type, &format, &count, &left, &data) == Success &&
                       data && format == 32 && count == 1;
    if (found) value = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return found;
  }

  std::string text(Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    std::string result;
    if (XGetWindowProperty(display_, window, property, 0, 1 << 16, False, AnyPropertyType, &type,
                           &format, &count, &left, &data) == Success &&
        data && format == 8)
      result.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return result;
  }

  bool hasAtom(Window window, Atom property, Atom wanted) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display_, window, property, 0, 64, False, XA_ATOM, &type, &format,
                           &count, &left, &data) == Success &&
        data && format == 32) {
      const Atom* atoms = reinterpret_cast<Atom*>(data);
      found = std::find(atoms, atoms + count, wanted) != atoms + count;
    }
    if (data) XFree(data);
    return found;
  }

  // A box of this process, once it says enough to be answered: ours say which buttons they
  // have; any other dialog is closed with its close button.
  void examine(Window window) {
    if (answered_.count(window)) return;
    long pid = 0;
    if (!cardinal(window, pid_, pid) || pid != static_cast<long>(getpid())) return;
    long flags = 0;
    const bool ourBox = cardinal(window, messageFlags_, flags);
    const bool closable = hasAtom(window, protocols_, deleteWindow_);
    Window owner = 0;
    const bool dialog = ourBox || hasAtom(window, windowType_, dialogType_) ||
                        XGetTransientForHint(display_, window, &owner);
    if (!dialog || (!ourBox && !closable)) return;
    answered_.insert(window);
    const std::string caption = latin1(text(window, XA_WM_NAME));
    const std::string message = latin1(text(window, messageText_));
    record.note(caption, message);
    if (print_) printFact("messageBox", quoted(caption) + " " + quoted(message));
    if (ourBox && answer_ != Answer::closeButton) {
      const KeySym key = answer_ == Answer::yes ? XK_y : answer_ == Answer::no ? XK_n : XK_Return;
      x11host::pressKey(display_, window, key, false);
      return;
    }
    XEvent close;
    std::memset(&close, 0, sizeof close);
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = protocols_;
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(deleteWindow_);
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &close);
    XFlush(display_);
  }

  Display* display_;
  Answer answer_;
  bool print_;
  Atom messageText_, messageFlags_, pid_, windowType_, dialogType_, protocols_, deleteWindow_;
  std::set<Window> answered_;
};

}  // namespace

bool start(Answer answer, bool print) {
  static bool forkHandled = false;
  std::lock_guard<std::mutex> guard(startLock);
  if (watchingFor == getpid()) return true;
  if (!forkHandled) {
    forkHandled = true;
    pthread_atfork(beforeFork, afterFork, afterFork);
  }
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  Display* display = XOpenDisplay(name);
  if (!display) return false;
  for (int code = 1; code < 256; ++code) XESetWireToError(display, code, dropError);
  watchingFor = getpid();
  record.clear();
  std::thread([display, answer, print] { Watcher(display, answer, print).run(); }).detach();
  return true;
}

std::vector<AskedBox> asked() { return record.list(); }

}  // namespace x11dialogs
