// Which connections to the display this process holds, as the server's X-Resource extension
// tells them: each client's resource base and the process behind it.
#include <unistd.h>

#include <algorithm>

#include "X11Host.h"

#ifdef VSTHOST_HAVE_XRES
#include <X11/extensions/XRes.h>
#endif

namespace x11host {

#ifdef VSTHOST_HAVE_XRES

namespace {

// The base of `display`'s own client: the server names a client by any id it made, so one made
// for the question and freed again will do.
XID ownBase(Display* display) {
  const Pixmap probe = XCreatePixmap(display, DefaultRootWindow(display), 1, 1, 1);
  XResClientIdSpec asked = {probe, XRES_CLIENT_ID_XID_MASK};
  long count = 0;
  XResClientIdValue* ids = nullptr;
  XID base = 0;
  if (XResQueryClientIds(display, 1, &asked, &count, &ids) == Success && count > 0)
    base = ids[0].spec.client;
  if (ids) XResClientIdsDestroy(count, ids);
  XFreePixmap(display, probe);
  return base;
}

}  // namespace

bool otherConnectionsOfThisProcess(Display* display, ProcessClients& clients) {
  int event = 0, error = 0, major = 0, minor = 0;
  // Client ids with their processes came with version 1.2.
  if (!XResQueryExtension(display, &event, &error) || !XResQueryVersion(display, &major, &minor) ||
      major < 1 || (major == 1 && minor < 2))
    return false;
  int listed = 0;
  XResClient* all = nullptr;
  if (!XResQueryClients(display, &listed, &all) || listed <= 0) return false;
  clients.mask = all[0].resource_mask;
  XFree(all);
  const XID own = ownBase(display);
  XResClientIdSpec asked = {0, XRES_CLIENT_ID_PID_MASK};
  long count = 0;
  XResClientIdValue* ids = nullptr;
  if (XResQueryClientIds(display, 1, &asked, &count, &ids) != Success) return false;
  const pid_t self = getpid();
  bool ownFound = false;
  clients.bases.clear();
  for (long i = 0; i < count; ++i) {
    if (XResGetClientPid(&ids[i]) != self) continue;
    if (ids[i].spec.client == own)
      ownFound = true;
    else
      clients.bases.push_back(ids[i].spec.client);
  }
  XResClientIdsDestroy(count, ids);
  // A server that cannot tell our own process (a connection over TCP, say) cannot tell the
  // plug-in's either.
  return ownFound;
}

#else

bool otherConnectionsOfThisProcess(Display*, ProcessClients&) { return false; }

#endif

bool ProcessClients::owns(unsigned long window) const {
  return std::find(bases.begin(), bases.end(), window & ~mask) != bases.end();
}

}  // namespace x11host
