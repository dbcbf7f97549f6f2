// The editor's native window, a child of the host's window: a peer of the control tree that
// knows no control. It offers what only the system can (repaint, the pointer held past the
// window's edges, menus, questions, the GL device, idle handling, its end) and reports what
// happens to it to its client, the editor's root. Each system supplies one.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "dxblit/NonCopyable.h"
#include "dxblit/Scene.h"
#include "gui/native/MenuEntry.h"
#include "gui/native/WindowClient.h"

namespace Mintwerk {

class NativeWindow : public DXBlit::NonCopyable {
 public:
  // The client the window reports to; the window owns it from now on, and it goes with the
  // window.
  virtual void attach(WindowClient* client) = 0;
  // Ticks the client every 10 ms from now on, or no more.
  virtual void setTicking(bool ticking) = 0;
  virtual void invalidate() = 0;
  // While held, the pointer's events come here past the window's edges too.
  virtual void grabPointer() = 0;
  virtual void releasePointer() = 0;
  // Whether the pointer is held where the system can say so; true where it cannot.
  virtual bool holdsPointer() = 0;
  // False once there is nothing to show a menu on (the window is gone or ends).
  virtual bool canShowMenu() = 0;
  // At window coordinates (pixels), drawn at `scale` where the menu is ours. The menu's end and
  // its choice are reported, during the call where the system's menu runs its own loop, else
  // from later idle calls. What the system's menu returned, or 0.
  virtual int showMenu(const std::vector<MenuEntry>& entries, int x, int y, float scale) = 0;
  // Makes the window this many pixels large. From any thread and never waiting for the window:
  // where it is busy on another thread, the size is taken at its next idle call.
  virtual void resize(uint32_t width, uint32_t height) = 0;
  // OK and Cancel, waited for.
  virtual bool confirm(const char* caption, const char* text) = 0;
  // Asked as confirm does; `onOk` runs only on OK, at once where the question waits for its
  // answer, later where the window keeps the host's thread going. Nothing runs once it ends.
  virtual void confirmThen(const char* caption, const char* text, std::function<void()> onOk) {
    if (confirm(caption, text) && onOk) onOk();
  }
  // Draws the scene, in units of `scale` pixels, through the window's GL device, made on first
  // use; throws when it cannot.
  virtual void render(DXBlit::Scene& scene, float scale) = 0;
  // After a render that threw: the window shows black, and the next paint tries again.
  virtual void paintBlack() = 0;
  // The client's resources, then the device's, while the native window still exists.
  virtual void releaseResources() = 0;
  // Handles what has queued up for the window where the host's idle calls drive it (X11); where
  // the system delivers to the window itself there is nothing to do. Called with the editor's
  // lock held: the window lets go of it through `unlockEditor` once a close on another thread
  // can no longer free the window under this call, and before anything of the tree runs. It
  // never waits for the window with the lock held: a window busy elsewhere skips the call.
  virtual void idle(void (*unlockEditor)(void*), void* editor) { unlockEditor(editor); }
  // Ends the window for its owner: from here on it ticks nothing and reports no end, and the
  // native window goes, taking this object and its client with it.
  virtual void dispose() = 0;
  // For a host that embeds the window by the system's own protocol (XEmbed on X11): the window
  // says it takes part, and answers the host's messages from then on.
  virtual void offerEmbedding() {}
  // Where the host's idle calls drive the window: a descriptor that is readable when the window
  // has something to handle, for a host whose run loop sleeps until one is; -1 for none.
  virtual int eventDescriptor() { return -1; }
};

// Makes the editor's window as a child of the host's window; null when the window cannot be
// made, and then nothing is left behind.
using NativeWindowFactory = NativeWindow* (*)(uint32_t width, uint32_t height, void* parentWindow);
// Null where the platform has no window layer.
NativeWindowFactory platformWindowFactory();

}  // namespace Mintwerk
