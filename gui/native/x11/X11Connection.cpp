#include "gui/native/x11/X11Connection.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/Immortal.h"

// For XESetWireToError: Xlib's per-connection hook, which its public header leaves out. Last,
// since it defines min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace Mintwerk {

namespace {

constexpr int kOpenAttempts = 4;
constexpr long kOpenRetryNs = 25 * 1000 * 1000;
constexpr int kErrorCodes = 256;

using WireToError = Bool (*)(Display*, XErrorEvent*, xError*);

struct OwnConnection {
  Display* display;
  int lastError;
  // What the connection had for each code before us: an extension's conversion of its error.
  std::array<WireToError, kErrorCodes> previous;
};

// Never held across an Xlib call: the hook below runs with a connection's own lock held. Both
// outlive the module's static objects: a host may close our editor from its exit handlers.
Platform::Immortal<std::mutex> connectionsLockStorage;
Platform::Immortal<std::vector<OwnConnection*>> connectionsStorage;
std::mutex& connectionsLock = connectionsLockStorage.get();
std::vector<OwnConnection*>& connections = connectionsStorage.get();

OwnConnection* find(Display* display) {
  for (OwnConnection* own : connections)
    if (own->display == display) return own;
  return nullptr;
}

// Xlib asks a connection's own hook about each error before any process-wide handler, and an
// answer of False drops the error there. So our errors never depend on which handler the host
// (or another plug-in) has installed process-wide, and we install none: nothing of ours is left
// for the host to call after we closed, and the host's connections keep whatever it chose.
Bool takeError(Display* display, XErrorEvent* error, xError* wire) {
  WireToError previous = nullptr;
  {
    std::lock_guard<std::mutex> guard(connectionsLock);
    if (OwnConnection* own = find(display)) previous = own->previous[error->error_code];
  }
  // An extension that converts or drops its own errors still does.
  if (previous && !previous(display, error, wire)) return False;
  std::lock_guard<std::mutex> guard(connectionsLock);
  // A connection being closed is no longer listed; what arrives then is dropped all the same.
  if (OwnConnection* own = find(display))
    if (!own->lastError) own->lastError = error->error_code;
  return False;
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
  auto* own = new OwnConnection{display, 0, {}};
  // Code 0 is no error; the hooks go in before anyone else can use the connection.
  for (int code = 1; code < kErrorCodes; ++code)
    own->previous[code] = XESetWireToError(display, code, takeError);
  std::lock_guard<std::mutex> guard(connectionsLock);
  connections.push_back(own);
  return display;
}

void closeOwnDisplay(Display* display) {
  if (!display) return;
  // Errors still in flight arrive while the connection counts as ours.
  XSync(display, False);
  OwnConnection* closing = nullptr;
  {
    std::lock_guard<std::mutex> guard(connectionsLock);
    closing = find(display);
    connections.erase(std::remove(connections.begin(), connections.end(), closing),
                      connections.end());
    if (connections.empty()) connections.shrink_to_fit();  // an unloaded module keeps nothing
  }
  delete closing;
  // The hooks go with the connection.
  XCloseDisplay(display);
}

int syncAndTakeError(Display* display) {
  XSync(display, False);
  std::lock_guard<std::mutex> guard(connectionsLock);
  OwnConnection* own = find(display);
  if (!own) return 0;
  const int error = own->lastError;
  own->lastError = 0;
  return error;
}

int ownDisplayCount() {
  std::lock_guard<std::mutex> guard(connectionsLock);
  return static_cast<int>(connections.size());
}

}  // namespace Mintwerk
