// The editor's native X11 window: a child of the host's window on a display connection of our
// own. Linux hosts drive editors through their idle calls, so the window handles its events, its
// 10 ms poll and its painting there, and reports them to the editor's root; it offers the GL
// device, a pointer grab, menus, questions and repaint.
#pragma once

#include <X11/Xlib.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dxblit/Device.h"
#include "dxblit/native/X11Drawable.h"
#include "gui/native/NativeWindow.h"
#include "gui/native/x11/X11Cursor.h"
#include "gui/native/x11/X11Embedding.h"
#include "gui/native/x11/X11MessageBox.h"
#include "gui/native/x11/X11PointerInput.h"
#include "gui/native/x11/X11PopupMenu.h"
#include "gui/native/x11/X11WheelForwarding.h"
#include "platform/linux/NoticeSink.h"

namespace Mintwerk {

class X11EditorWindow : public NativeWindow,
                        private CursorTarget,
                        private WheelTarget,
                        private Platform::NoticeSink {
 public:
  // Null when no window could be made (no display, a parent that is not a window, no GL
  // configuration); one line on stderr says why, and nothing is left behind. A null parent
  // makes a top-level window.
  static X11EditorWindow* create(uint32_t width, uint32_t height, void* parentWindow);
  ~X11EditorWindow() override;

  void attach(WindowClient* windowClient) override;
  void setTicking(bool on) override;
  // From this thread or another; a window whose events are being handled goes when that ends.
  void dispose() override;
  void idle(void (*unlockEditor)(void*), void* editor) override;

  void invalidate() override;
  void grabPointer() override;
  void releasePointer() override;
  bool holdsPointer() override { return true; }
  bool canShowMenu() override;
  // Returns at once: the menu runs from the following idle calls, and its end and choice are
  // reported when it closes. Returns 0.
  int showMenu(const std::vector<MenuEntry>& entries, int x, int y, float scale) override;
  void resize(uint32_t width, uint32_t height) override;
  bool confirm(const char* caption, const char* text) override;
  // The question is shown at once and answered from later idle calls; a press on the editor
  // meanwhile brings it to the front, as the system's owned boxes keep their owner waiting.
  void confirmThen(const char* caption, const char* text, std::function<void()> onOk) override;
  void render(DXBlit::Scene& scene, float scale) override;
  void paintBlack() override;
  void releaseResources() override;
  void offerEmbedding() override;
  int eventDescriptor() override { return ConnectionNumber(drawable.display); }

  Window getHandle() const { return drawable.window; }
  Display* getDisplay() const { return drawable.display; }

 private:
  X11EditorWindow(uint32_t width, uint32_t height);
  bool build(Window parent);
  void handlePending();
  void takePendingSize();
  void handleEvent(XEvent& event);
  void endMenu();
  void closeMenuUnchosen();
  void runBoxes();
  void cancelQuestions();
  void dropMenuAndBoxes();
  void watchAncestors();
  bool isAncestor(Window window) const;
  void windowHidden();
  bool pointerOverWindow(int& x, int& y, unsigned& state);
  void followPointer();
  void showNotice(const char* text, const char* caption, unsigned flags) override;
  void windowWasDestroyed();
  bool noticeDestruction();
  void paint();
  void showCursor(CursorShape shape) override;
  bool takeWheelUnderPointer(float delta) override;
  void deliverHostWheel();
  void setCursorShape(int shape);
  void releaseGrab();

  DXBlit::X11Drawable drawable;
  int screenNumber = 0;  // the host's window's screen, where our menus and boxes open
  // The windows above ours up to the root's child: when one is unmapped, ours is out of sight
  // without an event of its own.
  std::vector<Window> ancestors;
  Colormap colormap = 0;
  Atom deleteWindowAtom = 0;
  Cursor handCursor = 0, sizingCursor = 0;
  int cursorShape = -1;      // shown: -1 the inherited arrow, else a CursorShape
  bool cursorAsked = false;  // a control asked for a cursor during the current event
  uint32_t width, height;
  // A size asked for from another thread while the window was busy there: width << 32 | height.
  std::atomic<uint64_t> pendingSize{0};
  WindowClient* client = nullptr;  // owned: the editor's root, with its tree
  bool ownerGone = false;          // its end is told, or the owner let go of the window
  bool ticking = false;
  long long lastTickNanoseconds = 0;
  DXBlit::Device* device = nullptr;
  bool grabbed = false;
  std::unique_ptr<X11PopupMenu> menu;
  // The boxes asked for, the front one shown; each runs its action once answered.
  struct Box {
    std::string text, caption;
    unsigned flags;
    std::function<void(int answer)> then;
    std::unique_ptr<X11MessageBox> shown;
  };
  std::deque<Box> boxes;
  bool needsPaint = true;
  PointerTranslator pointer;
  X11Embedding embedding;
  // A wheel turn the host announced, waiting for the next idle call; 0 for none.
  float hostWheel = 0.0f;
  int32_t hostWheelX = 0, hostWheelY = 0;
  int hostWheelModifiers = 0;
  // Serialises the window between the host's idle thread and a close from another thread.
  std::recursive_mutex busy;
  int holds = 0;          // idle calls on the stack
  bool disposed = false;  // no owner any more: the object goes when the last hold ends
};

}  // namespace Mintwerk
