// The Linux plug-in's editor in a host window of ours on a real X server (Xvfb with Mesa's
// GLX): painting, the mouse as the server delivers it (synthesized and through XTEST), every
// close order a host may choose, and what must be left behind afterwards: nothing.
// GoogleTest first: X's headers define macros (None, Bool) that its templates would trip on.
#include <gtest/gtest.h>
// after GoogleTest
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "X11Counters.h"
#include "plugcore/VstAbi.h"

namespace {

// Keeps the GL driver loaded for the whole run: it is loaded with a display's first GL use and
// unloaded with its last, and what it keeps would otherwise show up as leaks of a module that
// is gone.
class GlDriverKept : public ::testing::Environment {
 public:
  void SetUp() override {
    keeper = XOpenDisplay(nullptr);
    int count = 0;
    if (keeper) XFree(glXGetFBConfigs(keeper, DefaultScreen(keeper), &count));
  }
  void TearDown() override {
    if (keeper) XCloseDisplay(keeper);
  }

 private:
  Display* keeper = nullptr;
};
const auto* const glDriverKept = ::testing::AddGlobalTestEnvironment(new GlDriverKept);

constexpr int kOutputKnobX = 290, kOutputKnobY = 100;  // the output knob's centre
constexpr int kOutputParameter = 6;
constexpr int kHostX = 100, kHostY = 120;

bool closeEditorOnGesture = false;
bool idleOnGesture = false;
int gesturesBegun = 0, gesturesEnded = 0;

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterBeginEdit) {
    ++gesturesBegun;
    if (closeEditorOnGesture && effect) effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0);
    if (idleOnGesture && effect) effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
  }
  if (opcode == audioMasterEndEdit) ++gesturesEnded;
  return opcode == audioMasterVersion ? 2400 : 0;
}

int hostErrors = 0;
int countHostError(Display*, XErrorEvent*) {
  ++hostErrors;
  return 0;
}

class X11Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    closeEditorOnGesture = idleOnGesture = false;
    gesturesBegun = gesturesEnded = 0;
    baselineConnections = liveDisplayConnections();
    baselineContexts = liveGlContexts();
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "these tests need an X display: " << std::strerror(errno) << " "
                                << (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    // Loaded once for the whole run and never unloaded, as most hosts keep their plug-ins.
    static void* module = dlopen(QUORL_LINUX_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    effect = entry(hostCallback);
    ASSERT_NE(effect, nullptr);
    // The first factory preset turns the output down; the knob tests start at its default.
    effect->setParameter(effect, kOutputParameter, 0.5f);
    host = makeHost();
  }
  void TearDown() override {
    if (!display) return;
    if (effect) dispatch(effClose);
    effect = nullptr;
    if (host) XDestroyWindow(display, host);
    XSync(display, False);
    XCloseDisplay(display);
    // Nothing of the editor's stays: its connections and GL contexts are all gone.
    EXPECT_EQ(liveDisplayConnections(), baselineConnections);
    EXPECT_EQ(liveGlContexts(), baselineContexts);
  }

  Window makeHost() {
    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;  // placed where asked, window manager or not
    Window window =
        XCreateWindow(display, DefaultRootWindow(display), kHostX, kHostY, 380, 260, 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
  }
  VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0);
  }
  void* hostHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(host)); }

  // The host's GUI loop: its own events, and the editor's idle at the given rate. Notes the
  // longest idle call: the host's thread must never be held for long.
  void pump(int milliseconds, int idleHz = 50) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
      while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
      }
      if (effect) {
        const auto start = std::chrono::steady_clock::now();
        dispatch(effEditIdle);
        longestIdleMs = std::max(longestIdleMs, msSince(start));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1000 / idleHz));
    } while (std::chrono::steady_clock::now() < end);
  }
  static long msSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
  }
  // Pumps until `done` holds or the time is up; true when it held.
  template <typename Condition>
  bool pumpUntil(Condition done, int milliseconds = 3000) {
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
      if (msSince(start) > milliseconds) return false;
      pump(20);
    }
    return true;
  }

  // Our menus and boxes: top-level windows of the given class ("popupmenu", "messagebox").
  std::vector<Window> windowsOfClass(const char* name, int screen = -1) {
    std::vector<Window> found;
    const Window root = screen < 0 ? DefaultRootWindow(display) : RootWindow(display, screen);
    for (Window window : childrenOf(root)) {
      XClassHint hint{};
      if (!XGetClassHint(display, window, &hint)) continue;
      XWindowAttributes attributes{};
      if (std::strcmp(hint.res_name, name) == 0 &&
          XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        found.push_back(window);
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    return found;
  }

  std::vector<Window> childrenOf(Window parent) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, parent, &root, &up, &children, &count)) {
      result.assign(children, children + count);
      XFree(children);
    }
    return result;
  }
  Window editorWindow() {
    std::vector<Window> children = childrenOf(host);
    return children.size() == 1 ? children[0] : 0;
  }
  Window openAndShow() {
    EXPECT_EQ(dispatch(effEditOpen, hostHandle()), 1);
    pump(150);
    Window editor = editorWindow();
    EXPECT_NE(editor, 0u);
    return editor;
  }

  // The editor's picture with the pointer away from it; the pointer then rests on the output knob.
  std::vector<uint32_t> pictureThenPointAtTheOutputKnob(Window editor) {
    xdotool("mousemove 0 0");
    pump(60);
    const std::vector<uint32_t> away = capture(editor);
    xdotool("mousemove " + std::to_string(kHostX + kOutputKnobX) + " " +
            std::to_string(kHostY + kOutputKnobY));
    pump(100);
    return away;
  }

  std::vector<uint32_t> capture(Window window) {
    XImage* image = XGetImage(display, window, 0, 0, 340, 190, AllPlanes, ZPixmap);
    std::vector<uint32_t> pixels;
    if (!image) return pixels;
    for (int y = 0; y < 190; ++y)
      for (int x = 0; x < 340; ++x)
        pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }

  // Pointer events as the server would deliver them to the editor's window.
  void send(Window window, int type, unsigned button, int x, int y, unsigned state,
            unsigned long time) {
    XEvent event = {};
    // Motion and button events share their layout up to the button field.
    XButtonEvent& pointer = event.xbutton;
    pointer.type = type;
    pointer.send_event = True;
    pointer.display = display;
    pointer.window = window;
    pointer.root = DefaultRootWindow(display);
    pointer.time = time;
    pointer.x = pointer.x_root = x;
    pointer.y = pointer.y_root = y;
    pointer.state = state;
    pointer.same_screen = True;
    if (type == MotionNotify)
      event.xmotion.is_hint = NotifyNormal;
    else
      pointer.button = button;
    const long mask = type == MotionNotify  ? PointerMotionMask
                      : type == ButtonPress ? ButtonPressMask
                                            : ButtonReleaseMask;
    XSendEvent(display, window, False, mask, &event);
    XFlush(display);
  }
  void click(Window window, unsigned button, int x, int y, unsigned long time) {
    send(window, ButtonPress, button, x, y, 0, time);
    send(window, ButtonRelease, button, x, y, 0, time + 20);
  }
  float output() { return effect->getParameter(effect, kOutputParameter); }

  static void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
  }

  Display* display = nullptr;
  AEffect* effect = nullptr;
  Window host = 0;
  int baselineConnections = 0, baselineContexts = 0;
  long longestIdleMs = 0;
};

TEST_F(X11Editor, ReportsItsEditorAndPaintsItInOneChildOfTheHostsWindow) {
  EXPECT_EQ(effect->flags, 0x1031);
  ERect* rect = nullptr;
  EXPECT_EQ(dispatch(effEditGetRect, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right - rect->left, 340);
  EXPECT_EQ(rect->bottom - rect->top, 190);

  Window editor = openAndShow();
  EXPECT_EQ(dispatch(effEditOpen, hostHandle()), 1);  // a second open makes nothing
  EXPECT_EQ(childrenOf(host).size(), 1u);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display, editor, &attributes));
  EXPECT_EQ(attributes.width, 340);
  EXPECT_EQ(attributes.height, 190);
  EXPECT_EQ(attributes.map_state, IsViewable);
  EXPECT_EQ(liveGlContexts(), baselineContexts + 1);

  // The background, seven knobs and their texts: a picture of many colours, not a black box.
  std::vector<uint32_t> pixels = capture(editor);
  ASSERT_EQ(pixels.size(), 340u * 190u);
  std::set<uint32_t> colours(pixels.begin(), pixels.end());
  EXPECT_GT(colours.size(), 200u);

  dispatch(effEditClose);
  EXPECT_TRUE(childrenOf(host).empty());  // the window ends with the editor
  EXPECT_EQ(liveGlContexts(), baselineContexts);
  EXPECT_EQ(liveDisplayConnections(), baselineConnections + 1);  // the host's own
}

TEST_F(X11Editor, ValueSetByTheHostShowsAfterOneIdleCallAtAnyHostRate) {
  Window editor = openAndShow();
  for (int hz : {10, 30, 60}) {
    std::vector<uint32_t> before = capture(editor);
    const float value = output() > 0.5f ? 0.1f : 0.9f;
    effect->setParameter(effect, kOutputParameter, value);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 / hz));
    dispatch(effEditIdle);
    EXPECT_NE(capture(editor), before) << hz << " Hz";
  }
}

TEST_F(X11Editor, KnobFollowsDragShiftDragWheelAndDoubleClick) {
  Window editor = openAndShow();
  const float start = output();
  // Dragged up 40 pixels of the full range's 400.
  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 1000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 40, Button1Mask, 1010);
  pump(60);
  send(editor, ButtonRelease, 1, kOutputKnobX, kOutputKnobY - 40, Button1Mask, 1020);
  pump(60);
  const float dragged = output();
  EXPECT_NEAR(dragged - start, 0.1f, 0.003f);
  EXPECT_EQ(gesturesBegun, 1);
  EXPECT_EQ(gesturesEnded, 1);

  // With Shift ten times finer.
  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, ShiftMask, 3000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 40, ShiftMask | Button1Mask, 3010);
  send(editor, ButtonRelease, 1, kOutputKnobX, kOutputKnobY - 40, ShiftMask | Button1Mask, 3020);
  pump(60);
  const float fine = output();
  EXPECT_NEAR(fine - dragged, 0.01f, 0.002f);

  // A wheel notch away from the user turns it up, one towards the user down again.
  click(editor, 4, kOutputKnobX, kOutputKnobY, 5000);
  pump(60);
  const float turned = output();
  EXPECT_GT(turned, fine);
  click(editor, 5, kOutputKnobX, kOutputKnobY, 6000);
  pump(60);
  EXPECT_NEAR(output(), fine, 1e-6f);

  // Two presses close in time and place: the double click that resets the knob.
  click(editor, 1, kOutputKnobX, kOutputKnobY, 8000);
  click(editor, 1, kOutputKnobX + 1, kOutputKnobY, 8200);
  pump(60);
  EXPECT_NEAR(output(), start, 1e-6f);
}

TEST_F(X11Editor, RealPointerDragKeepsGoingPastTheWindowsEdge) {
  openAndShow();
  const float start = output();
  const int x = kHostX + kOutputKnobX, y = kHostY + kOutputKnobY;
  xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1");
  pump(60);
  // 150 pixels up ends above the host's window: the grab keeps the moves coming.
  xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y - 150));
  pump(60);
  xdotool("mouseup 1");
  pump(60);
  EXPECT_NEAR(output() - start, std::min(0.375f, 1.0f - start), 0.01f);

  // A real double click resets the knob.
  xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) +
          " click --repeat 2 --delay 120 1");
  pump(100);
  EXPECT_NEAR(output(), start, 1e-6f);
  xdotool("mousemove 0 0");
  pump(60);
}

// A host's wheel notification ('stCA', 'Whee') turns what is under the pointer, when that is
// our window.
TEST_F(X11Editor, HostsWheelNotificationTurnsTheKnobUnderThePointer) {
  openAndShow();
  auto notify = [this](float notches) {
    return effect->dispatcher(effect, effVendorSpecific, 0x73744341, 0x57686565, nullptr, notches);
  };
  xdotool("mousemove 0 0");  // over no window of ours
  pump(60);
  const float start = output();
  EXPECT_EQ(notify(1.0f), 0);
  pump(60);
  EXPECT_EQ(output(), start);

  xdotool("mousemove " + std::to_string(kHostX + kOutputKnobX) + " " +
          std::to_string(kHostY + kOutputKnobY));
  pump(60);
  EXPECT_EQ(notify(-1.0f), 1);
  pump(60);
  EXPECT_LT(output(), start);
  EXPECT_EQ(notify(1.0f), 1);
  pump(60);
  EXPECT_NEAR(output(), start, 1e-6f);
  xdotool("mousemove 0 0");
  pump(30);
}

TEST_F(X11Editor, HoverLookEndsWhenThePointerLeaves) {
  Window editor = openAndShow();
  const std::vector<uint32_t> away = pictureThenPointAtTheOutputKnob(editor);
  EXPECT_NE(capture(editor), away);  // the knob under the pointer looks hovered
  xdotool("mousemove 0 0");
  pump(100);
  EXPECT_EQ(capture(editor), away);
}

// A knob's menu runs from the host's idle calls without holding any of them; a second thread
// answers it with the keyboard, as a user would.
TEST_F(X11Editor, KnobMenuDismissedOrAnsweredWithItsAccessKey) {
  Window editor = openAndShow();
  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 1000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 60, Button1Mask, 1010);
  send(editor, ButtonRelease, 1, kOutputKnobX, kOutputKnobY - 60, Button1Mask, 1020);
  pump(60);
  const float moved = output();
  const int gestures = gesturesBegun;

  auto answerAfter = [](const char* keys) {
    return std::thread([keys] {
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      xdotool(std::string("key ") + keys);
    });
  };
  std::thread escape = answerAfter("Escape");
  click(editor, 3, kOutputKnobX, kOutputKnobY, 5000);
  longestIdleMs = 0;
  pump(300);
  // The menu is up, and the host's thread goes on: no idle call waits for the user.
  EXPECT_EQ(windowsOfClass("popupmenu").size(), 1u);
  EXPECT_LT(longestIdleMs, 150);
  escape.join();
  pump(100);
  EXPECT_TRUE(windowsOfClass("popupmenu").empty());
  EXPECT_EQ(output(), moved);  // nothing chosen, nothing done
  EXPECT_EQ(gesturesBegun, gestures);

  std::thread reset = answerAfter("r");  // "&Reset to default"
  click(editor, 3, kOutputKnobX, kOutputKnobY, 9000);
  pump(100);
  reset.join();
  pump(100);
  EXPECT_NE(output(), moved);
  EXPECT_EQ(gesturesBegun, gestures + 1);  // the reset is one gesture for the host
  EXPECT_EQ(childrenOf(host).size(), 1u);
}

// The defaults menu's question is up while the host's thread goes on; the editor takes no
// press meanwhile, and the answer decides. Closing the editor takes its menu and box away.
TEST_F(X11Editor, DefaultsQuestionKeepsTheHostRunningAndClosesWithTheEditor) {
  if (!std::getenv("XDG_CONFIG_HOME")) setenv("XDG_CONFIG_HOME", "/tmp/quorl-x11-settings", 1);
  const std::string folder = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Harrowmint";
  const std::string file = folder + "/Quorl.defaults";
  std::remove(file.c_str());
  Window editor = openAndShow();
  auto corner = [&](unsigned long time) { click(editor, 1, 330, 185, time); };
  auto answerBox = [&](const char* key) {
    ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").size() == 1; }));
    longestIdleMs = 0;
    const float before = output();
    click(editor, 1, kOutputKnobX, kOutputKnobY, 20000);  // the editor waits for the answer
    send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 60, Button1Mask, 20010);
    pump(300);
    EXPECT_LT(longestIdleMs, 150);
    EXPECT_EQ(output(), before);
    xdotool(std::string("key ") + key);
    EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").empty(); }));
  };

  corner(5000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  pump(100);         // the menu takes the keyboard at the idle call after it shows
  xdotool("key s");  // "&Save defaults..."
  answerBox("Escape");
  pump(100);
  EXPECT_FALSE(std::ifstream(file).good());  // Cancel saves nothing

  corner(9000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  pump(100);
  xdotool("key s");
  answerBox("Return");
  EXPECT_TRUE(pumpUntil([&] { return std::ifstream(file).good(); }));
  std::remove(file.c_str());

  // A menu and a box left open go with the editor, at once.
  corner(13000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  dispatch(effEditClose);
  XSync(display, False);
  EXPECT_TRUE(windowsOfClass("popupmenu").empty());
  editor = openAndShow();
  click(editor, 1, 330, 185, 17000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  pump(100);
  xdotool("key s");
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").size() == 1; }));
  dispatch(effEditClose);
  XSync(display, False);
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").empty(); }, 1000));
  EXPECT_FALSE(std::ifstream(file).good());
}

// "Save defaults..." answered OK over a read-only defaults file: a box of the editor's says so
// after the question, the host's thread going on meanwhile, and the file keeps its bytes.
TEST_F(X11Editor, AFailedSaveOfDefaultsShowsAnErrorBox) {
  if (!std::getenv("XDG_CONFIG_HOME")) setenv("XDG_CONFIG_HOME", "/tmp/quorl-x11-settings", 1);
  const std::string folder = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Harrowmint";
  const std::string file = folder + "/Quorl.defaults";
  mkdir(folder.c_str(), 0700);
  std::remove(file.c_str());
  std::ofstream(file) << "kept";  // the instance is made: nobody reads it
  struct Removed {
    std::string file;
    ~Removed() {
      chmod(file.c_str(), 0644);
      std::remove(file.c_str());
    }
  } removed{file};
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  Window editor = openAndShow();
  click(editor, 1, 330, 185, 5000);
  ASSERT_TRUE(pumpUntil([&] {
    return windowsOfClass("messagebox").empty() && windowsOfClass("popupmenu").size() == 1;
  }));
  pump(100);
  xdotool("key s");
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").size() == 1; }));
  auto captionShown = [&] {
    std::string caption;
    for (Window box : windowsOfClass("messagebox")) {
      char* name = nullptr;
      if (XFetchName(display, box, &name) && name) caption = name;
      if (name) XFree(name);
    }
    return caption;
  };
  EXPECT_EQ(captionShown(), "Quorl");
  click(editor, 1, kOutputKnobX, kOutputKnobY, 6000);  // brings the question to the front
  pump(100);
  xdotool("key Return");
  EXPECT_TRUE(pumpUntil([&] { return captionShown() == "Quorl error"; }));
  EXPECT_EQ(windowsOfClass("messagebox").size(), 1u);
  longestIdleMs = 0;
  pump(200);
  EXPECT_LT(longestIdleMs, 150);
  click(editor, 1, kOutputKnobX, kOutputKnobY, 7000);
  pump(100);
  xdotool("key Return");
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").empty(); }));
  std::ifstream kept(file);
  std::string content;
  kept >> content;
  EXPECT_EQ(content, "kept");
}

// A host that hides its own window (ours stays mapped under it, out of sight) while a knob's
// menu or the defaults question is up: the menu closes and lets go of the pointer and the
// keyboard, the question is cancelled, and the editor shown again takes presses as before.
TEST_F(X11Editor, HiddenByItsHostTheEditorClosesItsMenuAndCancelsItsQuestion) {
  if (!std::getenv("XDG_CONFIG_HOME")) setenv("XDG_CONFIG_HOME", "/tmp/quorl-x11-settings", 1);
  const std::string file =
      std::string(std::getenv("XDG_CONFIG_HOME")) + "/Harrowmint/Quorl.defaults";
  std::remove(file.c_str());
  Window editor = openAndShow();
  auto hideHost = [&] {
    XUnmapWindow(display, host);
    XSync(display, False);
  };
  auto showHost = [&] {
    XMapWindow(display, host);
    XSync(display, False);
    pump(100);
  };
  const Window root = DefaultRootWindow(display);

  click(editor, 3, kOutputKnobX, kOutputKnobY, 5000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  pump(100);  // the menu has the pointer and the keyboard now
  const float before = output();
  hideHost();
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").empty(); }, 1000));
  EXPECT_EQ(XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, 0, 0,
                         CurrentTime),
            GrabSuccess);
  XUngrabPointer(display, CurrentTime);
  EXPECT_EQ(XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime),
            GrabSuccess);
  XUngrabKeyboard(display, CurrentTime);
  XSync(display, False);
  EXPECT_EQ(output(), before);  // nothing chosen
  showHost();

  click(editor, 1, 330, 185, 9000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  pump(100);
  xdotool("key s");  // "&Save defaults..."
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").size() == 1; }));
  hideHost();
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox").empty(); }, 1000));
  showHost();
  EXPECT_FALSE(std::ifstream(file).good());  // cancelled: nothing saved
  // No question is left waiting for an answer: the corner opens its menu again.
  click(editor, 1, 330, 185, 13000);
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  xdotool("key Escape");
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").empty(); }));
}

// A knob keeps no hover look once its menu is gone and the pointer with it, and no drag look
// once its window was hidden mid-drag and shown again: the picture is the same before and after
// the pointer's next move.
TEST_F(X11Editor, HoverAndDragLooksEndWithTheMenuAndTheHiddenWindow) {
  Window editor = openAndShow();
  const std::vector<uint32_t> away = pictureThenPointAtTheOutputKnob(editor);
  ASSERT_NE(capture(editor), away);  // hovered
  click(editor, 3, kOutputKnobX, kOutputKnobY, 5000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").size() == 1; }));
  pump(100);
  xdotool("mousemove 0 0");  // the menu has the pointer: no leave reaches the editor
  pump(60);
  xdotool("key Escape");
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu").empty(); }));
  pump(100);
  EXPECT_EQ(capture(editor), away);

  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 9000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 30, Button1Mask, 9010);
  pump(60);
  ASSERT_EQ(gesturesBegun, 1);
  XUnmapWindow(display, host);  // the host's window, not ours
  XSync(display, False);
  pump(60);
  EXPECT_EQ(gesturesEnded, 1);
  XMapWindow(display, host);
  XSync(display, False);
  pump(100);
  const std::vector<uint32_t> shownAgain = capture(editor);
  send(editor, MotionNotify, 0, 5, 5, 0, 9100);  // off every knob, no button held
  pump(100);
  EXPECT_EQ(capture(editor), shownAgain);
}

// A host that opens and closes the editor on its GUI thread and idles it on another: with a
// knob's menu up, the host destroys its window and closes the editor. Both threads go on.
TEST_F(X11Editor, CloseOnTheGuiThreadWhileAnotherThreadIdlesWithAMenuUp) {
  Window editor = openAndShow();
  std::atomic<bool> idling{true};
  std::thread idler([&] {
    while (idling) {
      dispatch(effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  click(editor, 3, kOutputKnobX, kOutputKnobY, 5000);
  bool menuUp = false;
  for (int wait = 0; wait < 200 && !menuUp; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    menuUp = windowsOfClass("popupmenu").size() == 1;
  }
  EXPECT_TRUE(menuUp);
  XDestroyWindow(display, host);
  host = 0;
  XSync(display, False);
  std::future<void> closed = std::async(std::launch::async, [this] { dispatch(effEditClose); });
  const bool closeReturned = closed.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
  if (!windowsOfClass("popupmenu").empty()) xdotool("key Escape");
  idling = false;
  std::future<void> stopped = std::async(std::launch::async, [&] { idler.join(); });
  const bool idleReturned = stopped.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
  if (!closeReturned || !idleReturned) {
    ADD_FAILURE() << "deadlock: effEditClose " << (closeReturned ? "returned" : "hangs")
                  << ", the idle thread " << (idleReturned ? "ended" : "hangs");
    std::_Exit(1);  // the two threads will never end
  }
  EXPECT_TRUE(windowsOfClass("popupmenu").empty());
  EXPECT_EQ(liveGlContexts(), baselineContexts);
}

// Run on a display of two screens: with the host's window on the second, the knob's menu and
// the defaults question open there, at the knob and over the host's window.
TEST_F(X11Editor, MenusAndBoxesOpenOnTheScreenOfTheHostsWindow) {
  if (ScreenCount(display) < 2) GTEST_SKIP() << "one screen";
  XDestroyWindow(display, host);
  XSetWindowAttributes attributes = {};
  attributes.override_redirect = True;
  host = XCreateWindow(display, RootWindow(display, 1), kHostX, kHostY, 380, 260, 0, CopyFromParent,
                       InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
  XMapWindow(display, host);
  XSync(display, False);
  Window editor = openAndShow();
  ASSERT_NE(editor, 0u);
  auto geometry = [&](Window window, int& x, int& y, int& w, int& h) {
    XWindowAttributes a{};
    XGetWindowAttributes(display, window, &a);
    x = a.x, y = a.y, w = a.width, h = a.height;
  };
  int x, y, w, h;
  click(editor, 3, kOutputKnobX, kOutputKnobY, 5000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu", 1).size() == 1; }));
  pump(100);
  EXPECT_TRUE(windowsOfClass("popupmenu", 0).empty());
  geometry(windowsOfClass("popupmenu", 1)[0], x, y, w, h);
  EXPECT_NEAR(x + w / 2, kHostX + kOutputKnobX, 2);  // centred under the knob's middle
  EXPECT_GT(y, kHostY);
  xdotool("key Escape");
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu", 1).empty(); }));

  click(editor, 1, 330, 185, 9000);
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("popupmenu", 1).size() == 1; }));
  pump(100);  // the menu takes the keyboard at the idle call after it shows
  xdotool("key s");
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox", 1).size() == 1; }));
  EXPECT_TRUE(windowsOfClass("messagebox", 0).empty());
  // Keys go to the box once it has taken the focus.
  EXPECT_TRUE(pumpUntil([&] {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == windowsOfClass("messagebox", 1)[0];
  }));
  geometry(windowsOfClass("messagebox", 1)[0], x, y, w, h);
  EXPECT_NEAR(x + w / 2, kHostX + 190, 2);
  EXPECT_NEAR(y + h / 2, kHostY + 130, 2);
  xdotool("key Escape");
  EXPECT_TRUE(pumpUntil([&] { return windowsOfClass("messagebox", 1).empty(); }));
}

// Hosts that draw with GL themselves find their own context current after every call.
TEST_F(X11Editor, HostsGlContextIsCurrentAgainAfterOpenIdleAndClose) {
  int found = 0;
  const int wanted[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, None};
  GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), wanted, &found);
  ASSERT_GT(found, 0);
  GLXContext hosts = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
  const int size[] = {GLX_PBUFFER_WIDTH, 8, GLX_PBUFFER_HEIGHT, 8, None};
  GLXPbuffer surface = glXCreatePbuffer(display, configs[0], size);
  XFree(configs);
  ASSERT_NE(hosts, nullptr);
  ASSERT_TRUE(glXMakeContextCurrent(display, surface, surface, hosts));
  openAndShow();
  EXPECT_EQ(glXGetCurrentContext(), hosts);
  EXPECT_EQ(glXGetCurrentDrawable(), surface);
  dispatch(effEditClose);
  EXPECT_EQ(glXGetCurrentContext(), hosts);
  glXMakeContextCurrent(display, None, None, nullptr);
  glXDestroyPbuffer(display, surface);
  glXDestroyContext(display, hosts);
}

TEST_F(X11Editor, HostWindowDestroyedBeforeEditorClose) {
  openAndShow();
  XDestroyWindow(display, host);
  host = 0;
  XSync(display, False);
  pump(100);  // the editor sees its window go and closes itself
  EXPECT_EQ(liveGlContexts(), baselineContexts);
  dispatch(effEditClose);
  pump(30);
}

TEST_F(X11Editor, HostWindowDestroyedAndEditorClosedWithoutAnIdleBetween) {
  openAndShow();
  XDestroyWindow(display, host);
  host = 0;
  XSync(display, False);
  dispatch(effEditClose);
  EXPECT_EQ(liveGlContexts(), baselineContexts);
}

TEST_F(X11Editor, HostWindowDestroyedAfterEditorClose) {
  openAndShow();
  dispatch(effEditClose);
  pump(30);
  XDestroyWindow(display, host);
  host = 0;
  XSync(display, False);
  pump(30);
}

TEST_F(X11Editor, EffectClosedWithTheEditorOpen) {
  openAndShow();
  EXPECT_EQ(dispatch(effClose), 1);
  effect = nullptr;
  XSync(display, False);
  EXPECT_TRUE(childrenOf(host).empty());
  EXPECT_EQ(liveDisplayConnections(), baselineConnections + 1);
}

TEST_F(X11Editor, TwentyOpenCloseCyclesLeaveNothingBehind) {
  for (int cycle = 0; cycle < 20; ++cycle) {
    ASSERT_EQ(dispatch(effEditOpen, hostHandle()), 1);
    pump(40);
    EXPECT_EQ(childrenOf(host).size(), 1u) << "cycle " << cycle;
    dispatch(effEditClose);
    XSync(display, False);
    EXPECT_TRUE(childrenOf(host).empty()) << "cycle " << cycle;
    EXPECT_EQ(liveDisplayConnections(), baselineConnections + 1) << "cycle " << cycle;
    EXPECT_EQ(liveGlContexts(), baselineContexts) << "cycle " << cycle;
  }
}

// A drag cut short by its window: closed, or hidden by the host while the button is held (the
// release then never reaches us). The gesture ends once, and moves with no button held move
// nothing afterwards.
TEST_F(X11Editor, DragEndsWithItsWindowAndButtonlessMovesMoveNothing) {
  Window editor = openAndShow();
  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 1000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 40, Button1Mask, 1010);
  pump(60);
  ASSERT_EQ(gesturesBegun, 1);
  dispatch(effEditClose);
  EXPECT_EQ(gesturesEnded, 1);
  editor = openAndShow();
  float before = output();
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 80, 0, 2000);
  send(editor, ButtonRelease, 1, kOutputKnobX, kOutputKnobY - 80, Button1Mask, 2010);
  pump(60);
  EXPECT_EQ(output(), before);
  EXPECT_EQ(gesturesEnded, 1);

  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 3000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 40, Button1Mask, 3010);
  pump(60);
  ASSERT_EQ(gesturesBegun, 2);
  XUnmapWindow(display, host);  // the release happens while it is hidden: nobody sees it
  XSync(display, False);
  pump(60);
  XMapWindow(display, host);
  XSync(display, False);
  pump(60);
  before = output();
  for (int step = 1; step <= 4; ++step)
    send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 40 - 20 * step, 0, 4000 + step);
  pump(60);
  EXPECT_EQ(output(), before);
  EXPECT_EQ(gesturesEnded, 2);
}

TEST_F(X11Editor, HostClosingTheEditorFromAGestureCallback) {
  Window editor = openAndShow();
  closeEditorOnGesture = true;
  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 1000);
  pump(60);
  closeEditorOnGesture = false;
  XSync(display, False);
  EXPECT_TRUE(childrenOf(host).empty());
  openAndShow();
  EXPECT_EQ(childrenOf(host).size(), 1u);
}

TEST_F(X11Editor, HostIdlingFromAGestureCallbackLosesNoMove) {
  Window editor = openAndShow();
  const float start = output();
  idleOnGesture = true;
  // All three queued at once: the host's idle inside the press must not take the move.
  send(editor, ButtonPress, 1, kOutputKnobX, kOutputKnobY, 0, 1000);
  send(editor, MotionNotify, 0, kOutputKnobX, kOutputKnobY - 40, Button1Mask, 1010);
  send(editor, ButtonRelease, 1, kOutputKnobX, kOutputKnobY - 40, Button1Mask, 1020);
  XSync(display, False);
  pump(100);
  idleOnGesture = false;
  EXPECT_NEAR(output() - start, 0.1f, 0.003f);
}

TEST_F(X11Editor, EditorClosedFromAnotherThread) {
  openAndShow();
  std::thread([this] { dispatch(effEditClose); }).join();
  pump(30);
  XSync(display, False);
  EXPECT_TRUE(childrenOf(host).empty());
}

TEST_F(X11Editor, ParentThatIsNoWindowFailsTheOpenAndLeavesNothing) {
  EXPECT_EQ(dispatch(effEditOpen, reinterpret_cast<void*>(uintptr_t{0x1FFFFFF})), 0);
  pump(30);
  EXPECT_EQ(liveDisplayConnections(), baselineConnections + 1);
  openAndShow();  // and a good parent afterwards works
  EXPECT_EQ(childrenOf(host).size(), 1u);
}

TEST_F(X11Editor, DisplayThatCannotBeOpenedFailsTheOpen) {
  const std::string saved = std::getenv("DISPLAY");
  setenv("DISPLAY", ":987", 1);
  EXPECT_EQ(dispatch(effEditOpen, hostHandle()), 0);
  setenv("DISPLAY", saved.c_str(), 1);
  pump(30);
  EXPECT_TRUE(childrenOf(host).empty());
}

TEST_F(X11Editor, HostsOwnErrorsStillReachTheHostsHandler) {
  XErrorHandler original = XSetErrorHandler(countHostError);
  hostErrors = 0;
  openAndShow();
  XMapWindow(display, 0x1FFFFFF);  // an error on the host's own connection
  XSync(display, False);
  EXPECT_EQ(hostErrors, 1);
  dispatch(effEditClose);
  // The last of the editor's connections gave the host its handler back.
  EXPECT_EQ(XSetErrorHandler(original), countHostError);
}

}  // namespace

namespace {

// Run on a server started without the GLX extension.
TEST(X11EditorWithoutGlx, OpenAnswersZeroAndLeavesNothing) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  int errorBase = 0, eventBase = 0;
  if (glXQueryExtension(display, &errorBase, &eventBase)) {
    XCloseDisplay(display);
    GTEST_SKIP() << "this server has GLX";
  }
  const int connections = liveDisplayConnections();
  Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 380, 260, 0, 0, 0);
  XMapWindow(display, host);
  XSync(display, False);
  static void* module = dlopen(QUORL_LINUX_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr);
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
  AEffect* effect = entry(hostCallback);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0,
                               reinterpret_cast<void*>(static_cast<uintptr_t>(host)), 0),
            0);
  effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
  EXPECT_EQ(liveDisplayConnections(), connections);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
  XDestroyWindow(display, host);
  XCloseDisplay(display);
}

}  // namespace
