// The control tree: routing and hover, hit arithmetic, drawing order, redraw propagation,
// services passed upwards, and destruction order, seen through recording controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingDevice.h"
#include "gui/Control.h"

namespace {

using Mintwerk::Container;
using Mintwerk::Control;

std::vector<std::string> events;

struct Probe : Control {
  Probe(Container* parent, const char* name, int32_t x, int32_t y, uint32_t w, uint32_t h,
        bool round = false)
      : Control(parent, x, y, w, h), name(name), round(round) {}
  ~Probe() override { events.push_back(name + " deleted"); }
  bool hitTest(int32_t x, int32_t y) override {
    if (!round) return true;
    const int32_t dx = x - 10, dy = y - 10;
    return dx * dx + dy * dy <= 100;
  }
  bool mouseMove(int32_t x, int32_t y, int) override { return log("move", x, y); }
  bool mouseDown(int32_t x, int32_t y, int button, int) override {
    return log(button == 1 ? "down" : "rdown", x, y);
  }
  bool mouseUp(int32_t x, int32_t y, int, int) override { return log("up", x, y); }
  bool mouseWheel(int32_t x, int32_t y, float, int) override { return log("wheel", x, y); }
  void mouseLeave() override { events.push_back(name + " leave"); }
  void draw(DXBlit::Context&) override { events.push_back(name + " draw"); }
  bool log(const char* what, int32_t x, int32_t y) {
    events.push_back(name + " " + what + " " + std::to_string(x) + "," + std::to_string(y));
    return true;
  }
  std::string name;
  bool round;
};

// The top of the tree: records what the controls ask of it.
struct RecordingRoot : Container {
  RecordingRoot() : Container(nullptr, 0, 0, 200, 100) {}
  void redraw() override { ++redraws; }
  bool confirm(const char*, const char* text) override {
    events.push_back(std::string("confirm ") + text);
    return true;
  }
  void setCapture(Control* control) override { captured = control; }
  int redraws = 0;
  Control* captured = nullptr;
};

class ControlTree : public ::testing::Test {
 protected:
  void SetUp() override { events.clear(); }
  RecordingRoot* root = new RecordingRoot;
  void TearDown() override { delete root; }
};

TEST_F(ControlTree, RoutingUsesEdgesExclusivelyAndNeverNegativeCoordinates) {
  new Probe(root, "a", 10, 10, 20, 20);
  EXPECT_TRUE(root->mouseDown(10, 10, 1, 0));
  EXPECT_TRUE(root->mouseDown(29, 29, 1, 0));
  EXPECT_FALSE(root->mouseDown(30, 15, 1, 0));  // right edge is outside
  EXPECT_FALSE(root->mouseDown(15, 30, 1, 0));  // bottom edge is outside
  EXPECT_FALSE(root->mouseDown(9, 15, 1, 0));   // left of it: a huge unsigned distance
  EXPECT_FALSE(root->mouseDown(-5, -5, 1, 0));
  EXPECT_EQ(events, (std::vector<std::string>{"a down 0,0", "a down 19,19", "a leave"}));
}

TEST_F(ControlTree, EarliestChildWinsAndRefusedHitsFallThrough) {
  new Probe(root, "round", 0, 0, 20, 20, true);
  new Probe(root, "under", 0, 0, 40, 40);
  new Probe(root, "top", 0, 0, 40, 40);  // drawn last, over the others
  root->mouseDown(10, 10, 1, 0);
  root->mouseDown(1, 1, 1, 0);  // outside the circle: the next child takes it
  EXPECT_EQ(events,
            (std::vector<std::string>{"round down 10,10", "round leave", "under down 1,1"}));
  events.clear();
  RecordingDevice device;
  root->draw(device);
  EXPECT_EQ(events, (std::vector<std::string>{"round draw", "under draw", "top draw"}));
  EXPECT_TRUE(root->hitTest(10, 10));
  EXPECT_FALSE(root->hitTest(100, 90));
}

TEST_F(ControlTree, HoverMovesWithEveryEventAndLeavesBeforeTheNextMove) {
  auto* nested = new Container(root, 50, 0, 100, 50);
  new Probe(nested, "inner", 10, 10, 10, 10);
  new Probe(root, "side", 0, 0, 20, 20);
  root->mouseMove(61, 11, 0);
  root->mouseMove(5, 5, 0);  // straight onto another child
  root->mouseWheel(62, 12, 1.0f, 0);
  root->mouseDown(190, 90, 2, 0);  // empty area
  EXPECT_EQ(events, (std::vector<std::string>{"inner move 1,1", "inner leave", "side move 5,5",
                                              "side leave", "inner wheel 2,2", "inner leave"}));
  EXPECT_EQ(root->getHoverChild(), nullptr);
}

TEST_F(ControlTree, DoubleClickOnAPlainControlIsASecondPress) {
  new Probe(root, "a", 0, 0, 10, 10);
  root->mouseDoubleClick(3, 4, 1, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"a down 3,4"}));
}

TEST_F(ControlTree, ServicesAndRedrawsClimbToTheTop) {
  auto* middle = new Container(root, 5, 5, 100, 50);
  auto* leaf = new Probe(middle, "leaf", 7, 8, 10, 10);
  leaf->redraw();
  EXPECT_EQ(root->redraws, 1);
  middle->setCapture(leaf);
  EXPECT_EQ(root->captured, leaf);
  EXPECT_TRUE(leaf->confirm("caption", "sure?"));
  EXPECT_EQ(events.back(), "confirm sure?");
  EXPECT_EQ(leaf->absoluteX(), 12);
  EXPECT_EQ(leaf->absoluteY(), 13);
}

TEST_F(ControlTree, ChildrenDieLastFirstEachAfterItsOwn) {
  new Probe(root, "first", 0, 0, 1, 1);
  auto* box = new Container(root, 0, 0, 1, 1);
  new Probe(box, "inner1", 0, 0, 1, 1);
  new Probe(box, "inner2", 0, 0, 1, 1);
  new Probe(root, "last", 0, 0, 1, 1);
  delete root;
  root = nullptr;
  EXPECT_EQ(events, (std::vector<std::string>{"last deleted", "inner2 deleted", "inner1 deleted",
                                              "first deleted"}));
}

}  // namespace
