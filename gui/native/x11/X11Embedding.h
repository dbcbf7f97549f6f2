// The embedded side of XEmbed, by which a host shows a window of another connection inside its
// own: the info property that says we take part, and the embedder's messages. The editor takes no
// keys, so focus given to it from the host's tab order is passed on.
#pragma once

#include <X11/Xlib.h>

namespace Mintwerk {

class X11Embedding {
 public:
  // Announces the window as embeddable (protocol version 0, mapped).
  void announce(Display* display, Window window);
  // True when the event is an embedder's message; it is handled then.
  bool handle(const XClientMessageEvent& message);
  // A press in the window asks the embedder for the focus, as a pressed widget does.
  void pressed(Time time);

  Window embedder() const { return embedderWindow; }
  bool focused() const { return hasFocus; }
  bool active() const { return windowActive; }

 private:
  void send(long message, long detail, Time time);

  Display* display = nullptr;
  Window window = 0;
  Atom xembed = 0;
  Window embedderWindow = 0;
  bool hasFocus = false;
  bool windowActive = false;
};

}  // namespace Mintwerk
