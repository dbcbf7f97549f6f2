#include "gui/Control.h"

#include <utility>

namespace Mintwerk {

Control::Control(Container* parent, int32_t x, int32_t y, uint32_t width, uint32_t height)
    : parent(parent), x(x), y(y), width(width), height(height) {
  if (parent) parent->addChild(this);
}

bool Control::confirm(const char* caption, const char* text) {
  return parent ? parent->confirm(caption, text) : false;
}

void Control::confirmThen(const char* caption, const char* text, std::function<void()> onOk) {
  if (parent)
    parent->confirmThen(caption, text, std::move(onOk));
  else if (confirm(caption, text))
    onOk();
}

void Control::redraw() {
  if (visible && parent) parent->redraw();
}

bool Control::hitTest(int32_t, int32_t) { return true; }
bool Control::mouseMove(int32_t, int32_t, int) { return true; }
bool Control::mouseDown(int32_t, int32_t, int, int) { return true; }
bool Control::mouseUp(int32_t, int32_t, int, int) { return true; }
// A plain control takes a double click as a second press.
bool Control::mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers) {
  return mouseDown(x, y, button, modifiers);
}
bool Control::mouseWheel(int32_t, int32_t, float, int) { return true; }
void Control::menuCommand(int) {}

int32_t Control::absoluteX() const {
  int32_t sum = 0;
  for (const Control* c = this; c; c = c->parent) sum += c->x;
  return sum;
}

int32_t Control::absoluteY() const {
  int32_t sum = 0;
  for (const Control* c = this; c; c = c->parent) sum += c->y;
  return sum;
}

Container::Container(Container* parent, int32_t x, int32_t y, uint32_t width, uint32_t height)
    : Control(parent, x, y, width, height) {}

Container::~Container() { deleteChildren(); }

void Container::deleteChildren() {
  while (!children.empty()) {
    delete children.back();
    children.pop_back();
  }
}

void Container::releaseResources() {
  for (Control* child : children) child->releaseResources();
}

Control* Container::findChild(int32_t px, int32_t py, int32_t& childX, int32_t& childY) {
  for (Control* child : children) {
    // Unsigned differences: a point left of or above a child never lands inside it.
    const uint32_t dx = static_cast<uint32_t>(px) - static_cast<uint32_t>(child->getX());
    const uint32_t dy = static_cast<uint32_t>(py) - static_cast<uint32_t>(child->getY());
    if (child->isEnabled() && child->isVisible() && dx < child->getWidth() &&
        dy < child->getHeight() &&
        child->hitTest(static_cast<int32_t>(dx), static_cast<int32_t>(dy))) {
      childX = static_cast<int32_t>(dx);
      childY = static_cast<int32_t>(dy);
      return child;
    }
  }
  return nullptr;
}

Control* Container::route(int32_t px, int32_t py, int32_t& childX, int32_t& childY) {
  Control* found = findChild(px, py, childX, childY);
  if (hoverChild && hoverChild != found) hoverChild->mouseLeave();
  hoverChild = found;
  return found;
}

bool Container::hitTest(int32_t px, int32_t py) {
  int32_t cx, cy;
  return findChild(px, py, cx, cy) != nullptr;
}

// Every routed event moves the hover, then reaches the child under the point in its own
// coordinates; with no child there, nothing consumes it.
template <typename Deliver>
bool Container::routeTo(int32_t px, int32_t py, Deliver deliver) {
  int32_t cx, cy;
  Control* child = route(px, py, cx, cy);
  return child ? deliver(*child, cx, cy) : false;
}

bool Container::mouseMove(int32_t px, int32_t py, int modifiers) {
  return routeTo(px, py,
                 [&](Control& c, int32_t x, int32_t y) { return c.mouseMove(x, y, modifiers); });
}

bool Container::mouseDown(int32_t px, int32_t py, int button, int modifiers) {
  return routeTo(px, py, [&](Control& c, int32_t x, int32_t y) {
    return c.mouseDown(x, y, button, modifiers);
  });
}

bool Container::mouseUp(int32_t px, int32_t py, int button, int modifiers) {
  return routeTo(
      px, py, [&](Control& c, int32_t x, int32_t y) { return c.mouseUp(x, y, button, modifiers); });
}

bool Container::mouseDoubleClick(int32_t px, int32_t py, int button, int modifiers) {
  return routeTo(px, py, [&](Control& c, int32_t x, int32_t y) {
    return c.mouseDoubleClick(x, y, button, modifiers);
  });
}

bool Container::mouseWheel(int32_t px, int32_t py, float delta, int modifiers) {
  return routeTo(px, py, [&](Control& c, int32_t x, int32_t y) {
    return c.mouseWheel(x, y, delta, modifiers);
  });
}

void Container::mouseLeave() {
  if (!hoverChild) return;
  Control* left = hoverChild;
  left->mouseLeave();
  hoverChild = nullptr;
}

void Container::draw(DXBlit::Context& context) {
  for (Control* child : children) child->draw(context);
}

void Container::setCapture(Control* control) {
  if (parent) parent->setCapture(control);
}

bool Container::hasCapture(Control* control) {
  return parent ? parent->hasCapture(control) : false;
}

Menu* Container::createMenu(Control* target) {
  return parent ? parent->createMenu(target) : nullptr;
}

bool Container::isMenuOpenFor(Control* control) {
  return parent ? parent->isMenuOpenFor(control) : false;
}

}  // namespace Mintwerk
