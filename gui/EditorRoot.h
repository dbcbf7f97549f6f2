// The top of the editor's control tree, over its native window: what the tree needs from the
// top (capture, menus, questions, repaint) it asks of the window, and what the window reports
// (pointer events, ticks, paints, the menu's choice, its end) it delivers to the tree. Capture,
// hover, delivery relative to the captured control, the menu's target and the paint's fallback
// live here once, for every system.
#pragma once

#include <atomic>
#include <vector>

#include "gui/Control.h"
#include "gui/IFrameController.h"
#include "gui/ITimerController.h"
#include "gui/native/NativeWindow.h"

namespace Mintwerk {

class EditorRoot : public Container, public WindowClient {
 public:
  // `owner` is told when the window ends and asked before a top-level window closes. The tree
  // is laid out at 1:1 in `width` x `height`; the window is that times the scale.
  EditorRoot(NativeWindow& window, IFrameController* owner, uint32_t width, uint32_t height);
  ~EditorRoot() override;

  // Ticks `controller` every 10 ms from now on (null: no more ticks).
  void setTimer(ITimerController* controller);
  NativeWindow& nativeWindow() const { return window; }
  Control* capturedControl() const { return captureControl; }
  Control* menuTargetControl() const { return menuTarget; }
  // Pixels per unit of the tree's layout: the window's pointer positions are divided by it, and
  // the tree is drawn and its menus shown at it. Any thread; the window's next event and paint
  // see it.
  void setScale(float pixelsPerUnit) { scale.store(pixelsPerUnit, std::memory_order_relaxed); }
  float getScale() const { return scale.load(std::memory_order_relaxed); }

  // What the tree asks of its top.
  bool confirm(const char* caption, const char* text) override;
  void confirmThen(const char* caption, const char* text, std::function<void()> onOk) override;
  void redraw() override;
  void setCapture(Control* control) override;
  bool hasCapture(Control* control) override;
  Menu* createMenu(Control* target) override;
  bool isMenuOpenFor(Control* control) override;
  // Shows `entries` for `target` at window coordinates; the choice reaches the target's
  // menuCommand when the menu reports it.
  int showMenu(const std::vector<MenuEntry>& entries, Control* target, int x, int y);

  // What the window reports.
  void pointer(const PointerEvent& event) override;
  void pointerLeft() override;
  void dragEnded() override;
  void pointerTaken() override;
  void tick() override;
  void paint() override;
  void menuEnded() override;
  void menuChosen(int id) override;
  bool canClose() override;
  bool windowEnded() override;
  void releaseResources() override;
  void desktopScaleChanged() override;

 private:
  void dropCapture();
  static int32_t toPixels(int32_t units, float scale);

  NativeWindow& window;
  IFrameController* owner;
  ITimerController* timer = nullptr;
  Control* captureControl = nullptr;
  Control* menuTarget = nullptr;
  bool menuOpen = false;
  std::atomic<float> scale{1.0f};
};

}  // namespace Mintwerk
