// The editor's user interface is a tree of controls: rectangles that receive mouse events in
// their own coordinates and draw themselves. A container owns its children, routes events to
// the child under the pointer and passes the services only the top of the tree gives upwards.
#pragma once

#include <cstdint>
#include <functional>
#include <list>

#include "dxblit/Context.h"
#include "dxblit/NonCopyable.h"
#include "dxblit/Scene.h"

namespace Mintwerk {

class Container;
class Menu;

enum MouseButton : int { kLeftButton = 1, kRightButton = 2 };
enum Modifiers : int { kShift = 1, kCtrl = 2 };

class Control : public DXBlit::NonCopyable, public DXBlit::Scene {
 public:
  // Joins the end of the parent's children; the parent owns it from then on.
  Control(Container* parent, int32_t x, int32_t y, uint32_t width, uint32_t height);

  virtual bool confirm(const char* caption, const char* text);
  // Asks as confirm does and runs `onOk` only on OK: at once where the question waits for its
  // answer, later where the window keeps the host's thread going while the question is up.
  // Nothing runs on Cancel, nor once the window has gone.
  virtual void confirmThen(const char* caption, const char* text, std::function<void()> onOk);
  virtual void redraw();
  virtual void releaseResources() {}
  virtual bool hitTest(int32_t x, int32_t y);
  virtual bool mouseMove(int32_t x, int32_t y, int modifiers);
  virtual bool mouseDown(int32_t x, int32_t y, int button, int modifiers);
  virtual bool mouseUp(int32_t x, int32_t y, int button, int modifiers);
  virtual bool mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers);
  virtual bool mouseWheel(int32_t x, int32_t y, float delta, int modifiers);
  virtual void mouseLeave() {}
  virtual void captureLost() {}
  virtual void menuCommand(int id);
  void draw(DXBlit::Context&) override {}

  Container* getParent() const { return parent; }
  int32_t getX() const { return x; }
  int32_t getY() const { return y; }
  uint32_t getWidth() const { return width; }
  uint32_t getHeight() const { return height; }
  bool isEnabled() const { return enabled; }
  bool isVisible() const { return visible; }
  // Position in the window: the sum of the offsets up the parent chain.
  int32_t absoluteX() const;
  int32_t absoluteY() const;

 protected:
  Container* parent;
  int32_t x, y;
  uint32_t width, height;
  bool enabled = true;
  bool visible = true;
};

class Container : public Control {
 public:
  Container(Container* parent, int32_t x, int32_t y, uint32_t width, uint32_t height);
  // Children die last first, each after its own children.
  ~Container() override;

  void releaseResources() override;
  bool hitTest(int32_t x, int32_t y) override;
  bool mouseMove(int32_t x, int32_t y, int modifiers) override;
  bool mouseDown(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseUp(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers) override;
  bool mouseWheel(int32_t x, int32_t y, float delta, int modifiers) override;
  void mouseLeave() override;
  void draw(DXBlit::Context& context) override;

  // Services of the top of the tree; a plain container asks its parent.
  virtual void setCapture(Control* control);
  virtual bool hasCapture(Control* control);
  virtual Menu* createMenu(Control* target);
  virtual bool isMenuOpenFor(Control* control);

  void addChild(Control* child) { children.push_back(child); }
  const std::list<Control*>& getChildren() const { return children; }
  Control* getHoverChild() const { return hoverChild; }

 protected:
  // The child under the point and the point in its coordinates; null when there is none.
  Control* findChild(int32_t x, int32_t y, int32_t& childX, int32_t& childY);
  // Moves the hover to the child under the point (telling the old one it was left).
  Control* route(int32_t x, int32_t y, int32_t& childX, int32_t& childY);
  template <typename Deliver>
  bool routeTo(int32_t x, int32_t y, Deliver deliver);
  // Deletes the children last first, each after its own children. Owners that must act
  // between their children's end and their own (the window, the frame) call it early.
  void deleteChildren();

  std::list<Control*> children;
  Control* hoverChild = nullptr;
};

}  // namespace Mintwerk
