// The editor's root over a window that only records: what every system's window relies on it
// for, once, for both.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "FakeNativeWindow.h"
#include "gui/EditorRoot.h"
#include "gui/Menu.h"

namespace {

using namespace Mintwerk;

std::vector<std::string> events;

struct Probe : Control {
  Probe(Container* parent, const char* name) : Control(parent, 20, 10, 40, 30), name(name) {}
  bool mouseDown(int32_t x, int32_t y, int button, int) override {
    note("down", x, y);
    if (button == 1) parent->setCapture(this);
    return true;
  }
  bool mouseMove(int32_t x, int32_t y, int) override { return note("move", x, y); }
  bool mouseUp(int32_t x, int32_t y, int, int) override { return note("up", x, y); }
  void mouseLeave() override { events.push_back(name + " left"); }
  void captureLost() override { events.push_back(name + " lost"); }
  void menuCommand(int id) override { events.push_back(name + " command " + std::to_string(id)); }
  bool note(const char* what, int32_t x, int32_t y) {
    events.push_back(name + " " + what + " " + std::to_string(x) + "," + std::to_string(y));
    return true;
  }
  std::string name;
};

struct RecordingWindow : FakeNativeWindow {
  void grabPointer() override { events.push_back("grab"); }
  void releasePointer() override { events.push_back("release"); }
  int showMenu(const std::vector<MenuEntry>& entries, int x, int y, float) override {
    events.push_back("menu of " + std::to_string(entries.size()) + " at " + std::to_string(x) +
                     "," + std::to_string(y));
    return 0;
  }
  void render(DXBlit::Scene&, float) override {
    if (failRender) throw std::runtime_error("no GL");
    events.push_back("rendered");
  }
  void paintBlack() override { events.push_back("black"); }
  bool failRender = false;
};

struct Owner : IFrameController {
  bool canClose() override { return true; }
  bool windowDestroyed() override {
    events.push_back("owner told");
    return true;
  }
};

PointerEvent at(PointerEvent::Kind kind, int32_t x, int32_t y) {
  PointerEvent event;
  event.kind = kind;
  event.x = x;
  event.y = y;
  event.button = 1;
  return event;
}

class Root : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    window->attach(root);
  }
  void TearDown() override { delete window; }
  RecordingWindow* window = new RecordingWindow;
  Owner owner;
  EditorRoot* root = new EditorRoot(*window, &owner, 200, 100);
  Probe* first = new Probe(root, "first");
  Probe* second = new Probe(root, "second");  // under the first: the first takes the hits
};

TEST_F(Root, CapturedControlGetsThePointerInItsOwnCoordinatesUntilTheDragEnds) {
  root->pointer(at(PointerEvent::kDown, 25, 15));
  root->pointer(at(PointerEvent::kMove, -40, 300));  // far outside: still the captured one's
  root->dragEnded();                                 // a move with no button held
  root->pointer(at(PointerEvent::kMove, 500, 500));  // outside everything: the hover leaves
  root->dragEnded();                                 // nothing held any more
  EXPECT_EQ(events, (std::vector<std::string>{"first down 5,5", "grab", "first move -60,290",
                                              "first lost", "release", "first left"}));
}

TEST_F(Root, MenuChoiceReachesItsTargetOnceAndTheLookEndsWithTheMenu) {
  Menu* menu = root->createMenu(first);
  menu->addItem("&One", 7, true);
  menu->addSeparator();
  menu->popup(4, 6);  // in the target's coordinates, shown in the window's
  delete menu;
  EXPECT_TRUE(root->isMenuOpenFor(first));
  EXPECT_FALSE(root->isMenuOpenFor(second));
  root->menuEnded();
  EXPECT_FALSE(root->isMenuOpenFor(first));
  root->menuChosen(7);
  root->menuChosen(7);  // the target is forgotten after one
  EXPECT_EQ(events, (std::vector<std::string>{"menu of 2 at 24,16", "first command 7"}));
}

TEST_F(Root, FailedPaintFallsBackToBlackAndTheEndIsToldOnce) {
  root->paint();
  window->failRender = true;
  root->paint();
  root->windowEnded();
  root->windowEnded();
  EXPECT_EQ(events, (std::vector<std::string>{"rendered", "black", "owner told"}));
}

}  // namespace
