#include "gui/EditorRoot.h"

#include <cmath>
#include <exception>
#include <utility>

#include "gui/Menu.h"

namespace Mintwerk {

EditorRoot::EditorRoot(NativeWindow& nativeWindow, IFrameController* frameOwner, uint32_t width,
                       uint32_t height)
    : Container(nullptr, 0, 0, width, height), window(nativeWindow), owner(frameOwner) {}

EditorRoot::~EditorRoot() { deleteChildren(); }

void EditorRoot::setTimer(ITimerController* controller) {
  timer = controller;
  window.setTicking(controller != nullptr);
}

bool EditorRoot::confirm(const char* caption, const char* text) {
  return window.confirm(caption, text);
}

void EditorRoot::confirmThen(const char* caption, const char* text, std::function<void()> onOk) {
  window.confirmThen(caption, text, std::move(onOk));
}

void EditorRoot::redraw() { window.invalidate(); }

void EditorRoot::setCapture(Control* control) {
  if (captureControl && captureControl != control) captureControl->captureLost();
  captureControl = control;
  if (!control) {
    window.releasePointer();
    // The pointer is free again: a menu's look ends with it.
    if (menuOpen) {
      menuOpen = false;
      redraw();
    }
    return;
  }
  // Drags past the window's edge keep coming to us.
  window.grabPointer();
  if (hoverChild && hoverChild != control) hoverChild->mouseLeave();
  hoverChild = control;
}

bool EditorRoot::hasCapture(Control* control) {
  return control && control == captureControl && window.holdsPointer();
}

Menu* EditorRoot::createMenu(Control* target) { return new Menu(*this, target); }

bool EditorRoot::isMenuOpenFor(Control* control) { return menuOpen && control == menuTarget; }

int EditorRoot::showMenu(const std::vector<MenuEntry>& entries, Control* target, int x, int y) {
  if (!window.canShowMenu()) return 0;
  menuTarget = target;
  menuOpen = true;
  // The target shows its menu-open look while the menu is up.
  redraw();
  // A drag in progress gives the pointer up to the menu.
  dropCapture();
  const float s = getScale();
  return window.showMenu(entries, toPixels(x, s), toPixels(y, s), s);
}

namespace {

// A pixel of the window to the unit of the layout it lies in (pixels left of or above the
// window too), and back.
int32_t toUnits(int32_t pixels, float scale) {
  return static_cast<int32_t>(std::floor(pixels / double{scale}));
}

}  // namespace

int32_t EditorRoot::toPixels(int32_t units, float scale) {
  return static_cast<int32_t>(std::lround(units * double{scale}));
}

void EditorRoot::pointer(const PointerEvent& event) {
  if (event.kind == PointerEvent::kNone) return;
  // Held by a control, the pointer's events go to it in its own coordinates.
  Control* receiver = captureControl ? captureControl : this;
  const float s = getScale();
  const int32_t windowX = toUnits(event.x, s), windowY = toUnits(event.y, s);
  const int32_t x = captureControl ? windowX - captureControl->absoluteX() : windowX;
  const int32_t y = captureControl ? windowY - captureControl->absoluteY() : windowY;
  switch (event.kind) {
    case PointerEvent::kMove:
      receiver->mouseMove(x, y, event.modifiers);
      break;
    case PointerEvent::kDown:
      receiver->mouseDown(x, y, event.button, event.modifiers);
      break;
    case PointerEvent::kUp:
      receiver->mouseUp(x, y, event.button, event.modifiers);
      break;
    case PointerEvent::kDoubleClick:
      receiver->mouseDoubleClick(x, y, event.button, event.modifiers);
      break;
    case PointerEvent::kWheel:
      receiver->mouseWheel(x, y, event.delta, event.modifiers);
      break;
    case PointerEvent::kNone:
      break;
  }
}

void EditorRoot::pointerLeft() { mouseLeave(); }

// The control that held the pointer is told it has lost it; the window's hold is not touched.
void EditorRoot::dropCapture() {
  if (!captureControl) return;
  Control* lost = captureControl;
  captureControl = nullptr;
  lost->captureLost();
}

void EditorRoot::dragEnded() {
  if (captureControl) setCapture(nullptr);
}

void EditorRoot::pointerTaken() {
  dropCapture();
  if (menuOpen) {
    menuOpen = false;
    redraw();
  }
}

void EditorRoot::tick() {
  if (timer) timer->onTimer();
}

void EditorRoot::paint() {
  try {
    window.render(*this, getScale());
  } catch (const std::exception&) {
    // No GL, or a drawing failure: black, and the next paint tries again.
    window.paintBlack();
  }
}

// The target loses its menu-open look; what was chosen comes on its own.
void EditorRoot::menuEnded() {
  menuOpen = false;
  redraw();
}

void EditorRoot::menuChosen(int id) {
  Control* target = menuTarget;
  menuTarget = nullptr;
  if (id >= 0 && target) target->menuCommand(id);
}

bool EditorRoot::canClose() { return owner && owner->canClose(); }

bool EditorRoot::windowEnded() {
  IFrameController* told = owner;
  owner = nullptr;
  timer = nullptr;
  return told ? told->windowDestroyed() : true;
}

void EditorRoot::releaseResources() { Container::releaseResources(); }

void EditorRoot::desktopScaleChanged() {
  if (owner) owner->desktopScaleChanged();
}

}  // namespace Mintwerk
