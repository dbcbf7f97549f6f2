// Our popup menus on a real X server: driven by real input (xdotool) and by events another
// client sends, placed on the screen, drawn, and leaving no window or grab behind.
#include <X11/Xlib.h>
#include <X11/keysym.h>
// Xlib's macros would clash with names in GoogleTest.
#undef None
#undef Bool
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "X11TestSupport.h"
#include "gui/native/x11/X11PopupMenu.h"

namespace {

using Mintwerk::MenuEntry;
using namespace x11test;

std::vector<MenuEntry> knobMenu() {
  return {{"&Reset to default", 0, true, false},
          {"MIDI &Learn", 1, true, false},
          {"MIDI &Unlearn", 2, false, false},
          {"", 0, true, true},
          {"&Go to the web site", 3, true, false}};
}

class PopupMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDisplay()) GTEST_SKIP() << "no DISPLAY";
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(driver.display, nullptr);
    xdotool("mousemove 5 5");
  }
  void TearDown() override {
    if (result.valid() && !finishes(result)) {
      xdotool("key Escape");  // do not leave a grab behind for the next test
      finishes(result);
    }
  }

  // Opens the menu on the editor's connection, on a thread of its own, and waits for its window.
  Window open(int x, int y, std::vector<MenuEntry> entries = knobMenu()) {
    result = std::async(std::launch::async, [this, x, y, entries] {
      return Mintwerk::runPopupMenu(editor, x, y, entries);
    });
    return waitForWindow(driver.display, "popupmenu");
  }

  int answer() {
    EXPECT_TRUE(finishes(result)) << "the menu did not close";
    return result.get();
  }

  // The centre of an entry, in root coordinates, from the menu's geometry.
  std::string itemCentre(const Geometry& g, int entryTop, int entryHeight) {
    return std::to_string(g.x + g.width / 2) + " " +
           std::to_string(g.y + entryTop + entryHeight / 2);
  }

  Connection driverConnection, editorConnection;
  Display* editor = editorConnection.display;
  Connection& driver = driverConnection;
  std::future<int> result;
};

TEST_F(PopupMenu, KeysChooseSkippingGreyItemsAndSeparatorsAndLeaveNothingBehind) {
  Window menu = open(640, 400);
  ASSERT_NE(menu, 0u);
  EXPECT_EQ(textProperty(driver.display, menu, "_MINTWERK_MENU_ITEMS"),
            "&Reset to default\nMIDI &Learn\nMIDI &Unlearn\tgrey\n--\n&Go to the web site");
  ASSERT_TRUE(xdotool("key Down Down Down Return"));
  EXPECT_EQ(answer(), 3);
  XSync(driver.display, False);
  EXPECT_EQ(countWindows(driver.display, "popupmenu"), 0);
  // Both grabs are gone: another client can take them.
  const Window root = DefaultRootWindow(driver.display);
  EXPECT_EQ(XGrabPointer(driver.display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync,
                         0, 0, CurrentTime),
            GrabSuccess);
  EXPECT_EQ(XGrabKeyboard(driver.display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime),
            GrabSuccess);
  XUngrabPointer(driver.display, CurrentTime);
  XUngrabKeyboard(driver.display, CurrentTime);
  XSync(driver.display, False);
}

TEST_F(PopupMenu, AccessKeysChooseAndEscapeDismisses) {
  ASSERT_NE(open(640, 400), 0u);
  xdotool("key l");
  EXPECT_EQ(answer(), 1);

  ASSERT_NE(open(640, 400), 0u);
  xdotool("key u");  // the greyed item's key does nothing
  xdotool("key Escape");
  EXPECT_EQ(answer(), -1);

  ASSERT_NE(open(640, 400), 0u);
  xdotool("key Up Return");
  EXPECT_EQ(answer(), 3);
}

TEST_F(PopupMenu, ClicksChooseItemsButNotGreyOnesAndAClickOutsideDismisses) {
  Window menu = open(640, 400);
  ASSERT_NE(menu, 0u);
  Geometry g = geometryOf(driver.display, menu);
  const int itemHeight = (g.height - 4 - 9) / 4;
  // Centred horizontally on the point, its top there.
  EXPECT_EQ(g.x, 640 - g.width / 2);
  EXPECT_EQ(g.y, 400);
  xdotool("mousemove " + itemCentre(g, 2 + 2 * itemHeight, itemHeight) + " click 1");
  xdotool("mousemove " + itemCentre(g, 2 + itemHeight, itemHeight) + " click 1");
  EXPECT_EQ(answer(), 1);

  ASSERT_NE(open(640, 400), 0u);
  xdotool("mousemove 50 50 click 1");
  EXPECT_EQ(answer(), -1);
  // The wheel outside does not dismiss; a right click outside does.
  ASSERT_NE(open(640, 400), 0u);
  xdotool("mousemove 50 50 click 4");
  EXPECT_NE(result.wait_for(std::chrono::milliseconds(300)), std::future_status::ready);
  xdotool("click 3");
  EXPECT_EQ(answer(), -1);
}

TEST_F(PopupMenu, ReleasingTheOpeningButtonInPlaceChoosesNothing) {
  // A right press opens the menu under the pointer; letting go where it was keeps it open.
  xdotool("mousemove 640 420 mousedown 3");
  ASSERT_NE(open(640, 400), 0u);
  xdotool("mouseup 3");
  EXPECT_NE(result.wait_for(std::chrono::milliseconds(300)), std::future_status::ready);
  // Dragging onto an item and letting go there chooses it.
  xdotool("mousedown 3 mousemove 640 404 mousemove 640 412 mouseup 3");
  EXPECT_EQ(answer(), 0);
}

TEST_F(PopupMenu, KeptOnTheScreenNearItsEdges) {
  Window menu = open(1275, 795);
  ASSERT_NE(menu, 0u);
  const Geometry g = geometryOf(driver.display, menu);
  EXPECT_EQ(g.x + g.width, 1280);
  EXPECT_EQ(g.y + g.height, 795);  // flipped above the point
  xdotool("key Escape");
  EXPECT_EQ(answer(), -1);
}

TEST_F(PopupMenu, EventsSentByAnotherClientDriveIt) {
  Window menu = open(640, 400);
  ASSERT_NE(menu, 0u);
  sendKey(driver.display, menu, XK_Down);
  sendKey(driver.display, menu, XK_Down);
  sendKey(driver.display, menu, XK_Return);
  EXPECT_EQ(answer(), 1);
}

TEST_F(PopupMenu, OtherWindowsEventsStayQueuedForTheEditor) {
  const int screen = DefaultScreen(editor);
  Window own = XCreateSimpleWindow(editor, RootWindow(editor, screen), 0, 0, 50, 50, 0, 0, 0);
  XSelectInput(editor, own, StructureNotifyMask);
  XSync(editor, False);
  Window menu = open(640, 400);
  ASSERT_NE(menu, 0u);
  // Arrives while the menu runs its loop on the editor's connection.
  XClientMessageEvent message{};
  message.type = ClientMessage;
  message.window = own;
  message.format = 32;
  message.message_type = XInternAtom(driver.display, "TEST_MESSAGE", False);
  XSendEvent(driver.display, own, False, 0, reinterpret_cast<XEvent*>(&message));
  XSync(driver.display, False);
  xdotool("key Escape");
  EXPECT_EQ(answer(), -1);
  XEvent event;
  EXPECT_TRUE(XCheckTypedWindowEvent(editor, own, ClientMessage, &event));
  XDestroyWindow(editor, own);
  XSync(editor, False);
}

TEST_F(PopupMenu, DrawsItsItemsGreyItemsAndTheHoveredItemAndSavesAScreenshot) {
  Window menu = open(640, 400);
  ASSERT_NE(menu, 0u);
  Geometry g = geometryOf(driver.display, menu);
  const int itemHeight = (g.height - 4 - 9) / 4;
  xdotool("mousemove " + itemCentre(g, 2, itemHeight));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const std::vector<uint32_t> pixels = capture(driver.display, menu, g);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(g.width * g.height));
  savePng("popup-menu.png", pixels, g.width, g.height);
  // Pixels in an entry's rows whose darkest channel lies in [low, high].
  auto count = [&](int top, int height, uint32_t low, uint32_t high) {
    int n = 0;
    for (int y = top; y < top + height; ++y)
      for (int x = 0; x < g.width; ++x) {
        const uint32_t p = pixels[static_cast<size_t>(y) * g.width + x];
        const uint32_t v = std::min({p >> 16, (p >> 8) & 0xFF, p & 0xFF});
        n += v >= low && v <= high;
      }
    return n;
  };
  auto exactly = [&](int top, int height, uint32_t colour) {
    int n = 0;
    for (int y = top; y < top + height; ++y)
      for (int x = 0; x < g.width; ++x) n += pixels[static_cast<size_t>(y) * g.width + x] == colour;
    return n;
  };
  const uint32_t highlight = 0x91C9F7;
  EXPECT_GT(exactly(2, itemHeight, highlight), g.width * itemHeight / 2);  // hovered
  EXPECT_EQ(exactly(2 + itemHeight, itemHeight, highlight), 0);
  EXPECT_GT(count(2 + itemHeight, itemHeight, 0, 0x40), 20);  // "MIDI Learn" in black
  // The greyed "MIDI Unlearn": grey text, nothing near black.
  EXPECT_GT(count(2 + 2 * itemHeight, itemHeight, 0x8D, 0xB0), 20);
  EXPECT_EQ(count(2 + 2 * itemHeight, itemHeight, 0, 0x80), 0);
  xdotool("key Escape");
  EXPECT_EQ(answer(), -1);
}

// Item texts are bytes, UTF-8 or Latin-1: both spellings read back as UTF-8 and draw alike, with
// their accented letters.
TEST_F(PopupMenu, ItemsInUtf8OrLatin1ReadBackAsUtf8AndAreDrawnWhole) {
  const std::string utf8 = "Gr\303\266\303\237e";  // Größe
  Window menu = open(
      640, 400, {{"Gre", 0, true, false}, {utf8, 1, true, false}, {"Gr\366\337e", 2, true, false}});
  ASSERT_NE(menu, 0u);
  EXPECT_EQ(textProperty(driver.display, menu, "_MINTWERK_MENU_ITEMS"),
            "Gre\n" + utf8 + "\n" + utf8);
  const Geometry g = geometryOf(driver.display, menu);
  const std::vector<uint32_t> pixels = capture(driver.display, menu, g);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(g.width * g.height));
  const int rows = (g.height - 4) / 3 * g.width;
  std::vector<uint32_t> item[3];
  int ink[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    item[i].assign(pixels.begin() + 2 * g.width + i * rows,
                   pixels.begin() + 2 * g.width + (i + 1) * rows);
    for (uint32_t p : item[i]) ink[i] += std::min({p >> 16, (p >> 8) & 0xFF, p & 0xFF}) < 0x80;
  }
  EXPECT_TRUE(item[1] == item[2]) << "the two spellings look different";
  EXPECT_GT(ink[1], ink[0] + ink[0] / 3);  // "ö", "ß" and the second "e"
  xdotool("key Escape");
  EXPECT_EQ(answer(), -1);
}

TEST_F(PopupMenu, NothingToShowAnswersAtOnce) {
  EXPECT_EQ(Mintwerk::runPopupMenu(editor, 10, 10, {}), -1);
  EXPECT_EQ(Mintwerk::runPopupMenu(nullptr, 10, 10, knobMenu()), -1);
}

}  // namespace
