// Our message boxes on a real X server: what the window tells the window manager, the answers of
// keys, clicks and the close button, several boxes at once, X errors kept to our own connection,
// and the answer when no display can be opened.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/keysym.h>
// Xlib's macros would clash with names in GoogleTest.
#undef None
#undef Bool
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "X11TestSupport.h"
#include "gui/native/x11/X11Connection.h"
#include "gui/native/x11/X11MessageBox.h"
#include "platform/MessageBox.h"

namespace {

using namespace x11test;
using Platform::kIdCancel;
using Platform::kIdNo;
using Platform::kIdOk;
using Platform::kIdYes;

constexpr unsigned kConfirm = 0x2021, kQuestion = 0x2024, kError = 0x2010;
const char* const kSaveText =
    "Saving new defaults for:\n - parameter values (current values) and presets\n - MIDI "
    "mappings (current mappings)\n";

class MessageBox : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDisplay()) GTEST_SKIP() << "no DISPLAY";
    ASSERT_NE(driver.display, nullptr);
    xdotool("mousemove 5 5");
  }
  void TearDown() override {
    if (result.valid() && !finishes(result)) {
      xdotool("key Escape");
      if (!finishes(result)) abandon();
    }
  }

  // A box that will not close would hold the test (and the future's end) until the run is
  // killed: it is let go of, and the failure already said reports it.
  void abandon() { new std::future<int>(std::move(result)); }

  Window show(const char* text, const char* caption, unsigned flags, unsigned long owner = 0) {
    result = std::async(std::launch::async,
                        [=] { return Mintwerk::showX11MessageBox(text, caption, flags, owner); });
    return waitForWindow(driver.display, "messagebox");
  }

  int answer() {
    EXPECT_TRUE(finishes(result)) << "the box did not close";
    if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) return result.get();
    abandon();
    return -1;
  }

  // The buttons' centres in root coordinates, left to right, found in the box's pixels: runs of
  // button face across a row just inside their top edge, above their labels.
  std::vector<std::pair<int, int>> buttons(Window box) {
    const Geometry g = geometryOf(driver.display, box);
    const std::vector<uint32_t> pixels = capture(driver.display, box, g);
    std::vector<std::pair<int, int>> found;
    const int y = g.height - 30;
    int start = -1;
    for (int x = 0; x <= g.width; ++x) {
      const bool face = x < g.width && pixels[static_cast<size_t>(y) * g.width + x] == 0xE1E1E1;
      if (face && start < 0) start = x;
      if (!face && start >= 0) {
        if (x - start > 10) found.push_back({g.x + (start + x) / 2, g.y + y});
        start = -1;
      }
    }
    return found;
  }

  void click(const std::pair<int, int>& at) {
    xdotool("mousemove " + std::to_string(at.first) + " " + std::to_string(at.second) + " click 1");
  }

  Connection driver;
  std::future<int> result;
};

TEST_F(MessageBox, TellsTheWindowManagerItsTitleOwnerAndModality) {
  // The editor's window is a child of the host's; the box belongs to the host's top level.
  const Window root = DefaultRootWindow(driver.display);
  Window host = XCreateSimpleWindow(driver.display, root, 100, 100, 400, 300, 0, 0, 0);
  Window editor = XCreateSimpleWindow(driver.display, host, 10, 10, 340, 190, 0, 0, 0);
  XMapWindow(driver.display, host);
  XMapWindow(driver.display, editor);
  XSync(driver.display, False);

  Window box = show(kSaveText, "Quorl", kConfirm, editor);
  ASSERT_NE(box, 0u);
  EXPECT_EQ(textProperty(driver.display, box, "WM_NAME"), "Quorl");
  EXPECT_EQ(textProperty(driver.display, box, "_NET_WM_NAME"), "Quorl");
  EXPECT_EQ(textProperty(driver.display, box, "_MINTWERK_MESSAGE_TEXT"), kSaveText);
  Window transientFor = 0;
  EXPECT_TRUE(XGetTransientForHint(driver.display, box, &transientFor));
  EXPECT_EQ(transientFor, host);
  // Modal, above the host's windows, and not to be minimised (functions: move and close only).
  const Atom modal = XInternAtom(driver.display, "_NET_WM_STATE_MODAL", False);
  const Atom above = XInternAtom(driver.display, "_NET_WM_STATE_ABOVE", False);
  EXPECT_EQ(longProperty(driver.display, box, "_NET_WM_STATE"),
            (std::vector<unsigned long>{modal, above}));
  const std::vector<unsigned long> motif = longProperty(driver.display, box, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0] & 1, 1u);
  EXPECT_EQ(motif[1], 4u | 32u);
  Atom* protocols = nullptr;
  int count = 0;
  ASSERT_TRUE(XGetWMProtocols(driver.display, box, &protocols, &count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(protocols[0], XInternAtom(driver.display, "WM_DELETE_WINDOW", False));
  XFree(protocols);
  // Over the middle of its owner.
  const Geometry g = geometryOf(driver.display, box);
  EXPECT_NEAR(g.x + g.width / 2, 300, 1);
  EXPECT_NEAR(g.y + g.height / 2, 250, 1);
  savePng("message-box.png", capture(driver.display, box, g), g.width, g.height);
  // Taken out of sight anyway (as a window manager that ignores the hints would minimise it):
  // it comes back.
  XUnmapWindow(driver.display, box);
  XSync(driver.display, False);
  XWindowAttributes state{};
  for (int wait = 0; wait < 100; ++wait) {
    XGetWindowAttributes(driver.display, box, &state);
    if (state.map_state == IsViewable) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(state.map_state, IsViewable);

  xdotool("key Return");
  EXPECT_EQ(answer(), kIdOk);
  XSync(driver.display, False);
  EXPECT_EQ(countWindows(driver.display, "messagebox"), 0);
  XDestroyWindow(driver.display, host);
  XSync(driver.display, False);
}

// Texts come from hosts and chunks as bytes, UTF-8 or Latin-1: the box gives them to the window
// manager and to whoever reads it as UTF-8, encoded once, to old window managers as Latin-1, and
// draws every letter: both spellings look alike, and more than their ASCII letters alone.
TEST_F(MessageBox, NamesInUtf8OrLatin1ReadBackAsUtf8AndAreDrawnWhole) {
  const std::string utf8 = "Gr\303\266\303\237e F\303\257lter", latin1 = "Gr\366\337e F\357lter";
  // A box without an icon: all the ink above its buttons is its text.
  auto textArea = [&](const std::string& text, int& ink) {
    Window box = show(text.c_str(), text.c_str(), 0x2000);
    const Geometry g = geometryOf(driver.display, box);
    std::vector<uint32_t> pixels = capture(driver.display, box, g);
    pixels.resize(static_cast<size_t>(g.width) * (g.height - 43));
    ink = 0;
    for (uint32_t p : pixels) ink += std::min({p >> 16, (p >> 8) & 0xFF, p & 0xFF}) < 0x80;
    if (text != "Gre Flter") {
      EXPECT_EQ(textProperty(driver.display, box, "_MINTWERK_MESSAGE_TEXT"), utf8);
      EXPECT_EQ(textProperty(driver.display, box, "_NET_WM_NAME"), utf8);
      EXPECT_EQ(propertyType(driver.display, box, "_NET_WM_NAME"), "UTF8_STRING");
      EXPECT_EQ(textProperty(driver.display, box, "WM_NAME"), latin1);
      EXPECT_EQ(propertyType(driver.display, box, "WM_NAME"), "STRING");
    }
    sendKey(driver.display, box, XK_Return);
    EXPECT_EQ(answer(), kIdOk);
    return pixels;
  };
  int ink = 0, asciiInk = 0;
  const std::vector<uint32_t> fromUtf8 = textArea(utf8, ink);
  EXPECT_TRUE(textArea(latin1, ink) == fromUtf8) << "the two spellings look different";
  textArea("Gre Flter", asciiInk);
  EXPECT_GT(ink, asciiInk + asciiInk / 3);  // "ö", "ß" and "ï" drawn
}

TEST_F(MessageBox, KeysAnswerAsTheSystemBoxWould) {
  struct Case {
    unsigned flags;
    const char* keys;
    int expected;
  } cases[] = {
      {kConfirm, "Return", kIdOk},
      {kConfirm, "Escape", kIdCancel},
      {kConfirm, "Tab Return", kIdCancel},
      {kQuestion, "Escape", kIdNo},
      {kQuestion, "Return", kIdYes},
      {kQuestion, "n", kIdNo},
      {kQuestion, "y", kIdYes},
      {kError, "Escape", kIdOk},
      {kError, "Return", kIdOk},
  };
  for (const Case& c : cases) {
    ASSERT_NE(show("Loading default settings and presets.", "Quorl", c.flags), 0u);
    xdotool(std::string("key ") + c.keys);
    EXPECT_EQ(answer(), c.expected) << c.keys << " on flags " << c.flags;
  }
}

TEST_F(MessageBox, ClickingAButtonAnswersWithIt) {
  Window box =
      show("Trying to load a preset for \"Other\"\nDo you want to continue?", "Quorl", kQuestion);
  ASSERT_NE(box, 0u);
  auto found = buttons(box);
  ASSERT_EQ(found.size(), 2u);
  click(found[1]);
  EXPECT_EQ(answer(), kIdNo);

  box = show(kSaveText, "Quorl", kConfirm);
  ASSERT_NE(box, 0u);
  found = buttons(box);
  ASSERT_EQ(found.size(), 2u);
  // Pressed on one button and let go elsewhere: no answer yet.
  xdotool("mousemove " + std::to_string(found[0].first) + " " + std::to_string(found[0].second) +
          " mousedown 1 mousemove 5 5 mouseup 1");
  EXPECT_NE(result.wait_for(std::chrono::milliseconds(300)), std::future_status::ready);
  click(found[0]);
  EXPECT_EQ(answer(), kIdOk);
}

TEST_F(MessageBox, TheCloseButtonAndSentKeysAnswer) {
  Window box = show("Save?", "Quorl", kQuestion);
  ASSERT_NE(box, 0u);
  XClientMessageEvent close{};
  close.type = ClientMessage;
  close.window = box;
  close.format = 32;
  close.message_type = XInternAtom(driver.display, "WM_PROTOCOLS", False);
  close.data.l[0] = static_cast<long>(XInternAtom(driver.display, "WM_DELETE_WINDOW", False));
  XSendEvent(driver.display, box, False, 0, reinterpret_cast<XEvent*>(&close));
  XFlush(driver.display);
  EXPECT_EQ(answer(), kIdNo);

  box = show("Save?", "Quorl", kConfirm);
  ASSERT_NE(box, 0u);
  sendKey(driver.display, box, XK_Return);
  EXPECT_EQ(answer(), kIdOk);
}

TEST_F(MessageBox, SeveralThreadsShowBoxesAtOnce) {
  Window first = show("first", "One", kConfirm);
  ASSERT_NE(first, 0u);
  std::future<int> second = std::async(std::launch::async, [] {
    return Mintwerk::showX11MessageBox("second", "Two", kQuestion, 0);
  });
  Window other = waitForWindow(driver.display, "messagebox", first);
  ASSERT_NE(other, 0u);
  sendKey(driver.display, other, XK_y);
  ASSERT_TRUE(finishes(second));
  EXPECT_EQ(second.get(), kIdYes);
  sendKey(driver.display, first, XK_Escape);
  EXPECT_EQ(answer(), kIdCancel);
}

TEST_F(MessageBox, ALongTextKeepsTheButtonsOnTheScreen) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "Error loading chunk: Chunk appears corrupted.\n";
  Window box = show(text.c_str(), "Quorl error", kError);
  ASSERT_NE(box, 0u);
  const Geometry g = geometryOf(driver.display, box);
  EXPECT_GE(g.y, 0);
  EXPECT_LE(g.y + g.height, DisplayHeight(driver.display, DefaultScreen(driver.display)));
  EXPECT_EQ(buttons(box).size(), 1u);
  xdotool("key Return");
  EXPECT_EQ(answer(), kIdOk);
}

std::atomic<int> otherErrors{0};
int countOtherErrors(Display*, XErrorEvent*) {
  ++otherErrors;
  return 0;
}

TEST_F(MessageBox, AnOwnerThatIsNoWindowEndsNothingAndOtherConnectionsKeepTheirHandler) {
  const XErrorHandler before = XSetErrorHandler(countOtherErrors);
  otherErrors = 0;
  // An owner id that names no window: the box shows anyway, without an owner.
  Window box = show("No owner", "Quorl", kConfirm, 0x3FFFFFF);
  ASSERT_NE(box, 0u);
  Window transientFor = 0;
  EXPECT_FALSE(XGetTransientForHint(driver.display, box, &transientFor));
  // An error on another connection while the box shows reaches that connection's handler.
  XMapWindow(driver.display, 0x3FFFFFE);
  XSync(driver.display, False);
  EXPECT_EQ(otherErrors.load(), 1);
  sendKey(driver.display, box, XK_Escape);
  EXPECT_EQ(answer(), kIdCancel);
  // And the handler that was there before the box is there after it.
  EXPECT_EQ(XSetErrorHandler(before), countOtherErrors);
}

// A box and an editor's connection overlapping: once both have closed, the host's handler is the
// one installed, and none of ours stays behind to be called after the module is unloaded.
TEST_F(MessageBox, OverlappingBoxAndEditorConnectionPutTheHostsHandlerBack) {
  const XErrorHandler before = XSetErrorHandler(countOtherErrors);
  Window box = show("Overlap", "Quorl", kConfirm);
  ASSERT_NE(box, 0u);
  Display* editor = Mintwerk::openOwnDisplay("test editor");
  ASSERT_NE(editor, nullptr);
  sendKey(driver.display, box, XK_Escape);
  EXPECT_EQ(answer(), kIdCancel);
  Mintwerk::closeOwnDisplay(editor);
  EXPECT_EQ(XSetErrorHandler(before), countOtherErrors);
}

// Without a display the text goes to stderr and nothing unseen is agreed to.
// Run on a server whose one screen spans two monitors (Xinerama): a box without an owner opens
// in the middle of the monitor under the pointer, not across the two.
TEST_F(MessageBox, WithoutAnOwnerCentredOnTheMonitorUnderThePointer) {
  int eventBase = 0, errorBase = 0, heads = 0;
  XineramaScreenInfo* info = nullptr;
  if (XineramaQueryExtension(driver.display, &eventBase, &errorBase) &&
      XineramaIsActive(driver.display))
    info = XineramaQueryScreens(driver.display, &heads);
  if (heads < 2) {
    if (info) XFree(info);
    GTEST_SKIP() << "one monitor";
  }
  const XineramaScreenInfo second = info[1];
  XFree(info);
  xdotool("mousemove " + std::to_string(second.x_org + 40) + " " +
          std::to_string(second.y_org + 40));
  Window box = show("On this monitor.", "Quorl error", kError);
  ASSERT_NE(box, 0u);
  const Geometry g = geometryOf(driver.display, box);
  EXPECT_NEAR(g.x + g.width / 2, second.x_org + second.width / 2, 1);
  EXPECT_NEAR(g.y + g.height / 2, second.y_org + second.height / 2, 1);
  xdotool("key Return");
  EXPECT_EQ(answer(), kIdOk);
}

TEST(MessageBoxWithoutDisplay, StderrAndTheConservativeAnswer) {
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  for (const char* value : {static_cast<const char*>(nullptr), ":4711"}) {
    if (value)
      setenv("DISPLAY", value, 1);
    else
      unsetenv("DISPLAY");
    EXPECT_EQ(Mintwerk::showX11MessageBox("x", "y", kConfirm, 0), -1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Platform::messageBox(kSaveText, "Quorl", kConfirm), kIdCancel);
    EXPECT_EQ(Platform::messageBox("Trying to load a preset", "Quorl", kQuestion), kIdNo);
    EXPECT_EQ(Platform::messageBox("Error loading chunk: No header", "Quorl error", kError), kIdOk);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[Quorl] Saving new defaults for:"), std::string::npos);
    EXPECT_NE(err.find("[Quorl error] Error loading chunk: No header\n"), std::string::npos);
  }
  if (display) setenv("DISPLAY", saved.c_str(), 1);
}

// With a display, the seam shows our box (as the module installs it when it loads) unless a
// handler stands in.
TEST_F(MessageBox, TheSeamShowsOurBoxUnlessAHandlerStandsIn) {
  Mintwerk::useX11MessageBoxes();
  result = std::async(std::launch::async,
                      [] { return Platform::messageBox("Loading.", "Quorl", kConfirm); });
  ASSERT_NE(waitForWindow(driver.display, "messagebox"), 0u);
  xdotool("key Escape");
  EXPECT_EQ(answer(), kIdCancel);
  Platform::setMessageBoxHandler([](void*, const char*, const char*, unsigned) { return 42; },
                                 nullptr);
  EXPECT_EQ(Platform::messageBox("Loading.", "Quorl", kConfirm), 42);
  Platform::setMessageBoxHandler(nullptr, nullptr);
}

}  // namespace
