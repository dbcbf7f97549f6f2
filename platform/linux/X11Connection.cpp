#include "platform/linux/X11Connection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

namespace Platform {

namespace {

constexpr int kOpenAttempts = 4;
constexpr long kOpenRetryNs = 25 * 1000 * 1000;

struct OwnConnection {
  Display* display;
  int lastError;
};

std::mutex connectionsLock;
std::vector<OwnConnection> connections;
XErrorHandler replacedHandler = nullptr;
bool handlerInstalled = false;

int handleError(Display* display, XErrorEvent* error) {
  XErrorHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> guard(connectionsLock);
    for (OwnConnection& own : connections) {
      if (own.display == display) {
        if (!own.lastError) own.lastError = error->error_code;
        return 0;
      }
    }
    previous = replacedHandler;
  }
  // Not ours: whatever the host had decides.
  return previous ? previous(display, error) : 0;
}

}  // namespace

Display* openOwnDisplay(const char* purpose) {
  // A busy server may turn a connection away for a moment: a few tries before giving up.
  Display* display = XOpenDisplay(nullptr);
  const char* name = std::getenv("DISPLAY");
  for (int attempt = 0; !display && name && *name && attempt < kOpenAttempts; ++attempt) {
    timespec pause{0, kOpenRetryNs};
    nanosleep(&pause, nullptr);
    display = XOpenDisplay(nullptr);
  }
  if (!display) {
    std::fprintf(stderr, "%s: cannot open the X display \"%s\"\n", purpose, XDisplayName(nullptr));
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(connectionsLock);
  connections.push_back({display, 0});
  if (!handlerInstalled) {
    replacedHandler = XSetErrorHandler(handleError);
    handlerInstalled = true;
  }
  return display;
}

void closeOwnDisplay(Display* display) {
  if (!display) return;
  // Errors still in flight arrive while the connection counts as ours.
  XSync(display, False);
  std::unique_lock<std::mutex> guard(connectionsLock);
  connections.erase(
      std::remove_if(connections.begin(), connections.end(),
                     [display](const OwnConnection& own) { return own.display == display; }),
      connections.end());
  if (connections.empty() && handlerInstalled) {
    XErrorHandler current = XSetErrorHandler(replacedHandler);
    if (current != handleError) {
      // Someone installed a handler after ours and may chain to it: theirs stays, and so does
      // ours behind it.
      XSetErrorHandler(current);
    } else {
      handlerInstalled = false;
      replacedHandler = nullptr;
    }
  }
  guard.unlock();
  XCloseDisplay(display);
}

int syncAndTakeError(Display* display) {
  XSync(display, False);
  std::lock_guard<std::mutex> guard(connectionsLock);
  for (OwnConnection& own : connections) {
    if (own.display == display) {
      const int error = own.lastError;
      own.lastError = 0;
      return error;
    }
  }
  return 0;
}

int ownDisplayCount() {
  std::lock_guard<std::mutex> guard(connectionsLock);
  return static_cast<int>(connections.size());
}

}  // namespace Platform
