// The editor's native window under Wine: messages become the tree's mouse operations (double
// clicks, capture beyond the window, the wheel in client coordinates), menus deliver their
// commands, the timer ticks, and closing the window tells its owner unless it was disposed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui/EditorRoot.h"
#include "gui/Menu.h"
#include "gui/native/win32/Win32EditorWindow.h"

using namespace Mintwerk;

namespace {

std::vector<std::string> events;

struct Probe : Control {
  Probe(Container* parent) : Control(parent, 20, 10, 40, 30) {}
  ~Probe() override { events.push_back("deleted"); }
  bool mouseDown(int32_t x, int32_t y, int button, int modifiers) override {
    log("down", x, y, button, modifiers);
    if (button == 1) parent->setCapture(this);
    if (button == 2) {
      Menu* menu = parent->createMenu(this);
      menu->addItem("&First", 1, true);
      menu->addSeparator();
      menu->addItem("&Grey", 2, false);
      // The user dismisses the menu: a timer, dispatched inside the menu's own loop, ends it.
      SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        EndMenu();
      });
      menu->popup(width / 2, height - 12);
      delete menu;
    }
    return true;
  }
  bool mouseUp(int32_t x, int32_t y, int button, int modifiers) override {
    log("up", x, y, button, modifiers);
    if (button == 1) parent->setCapture(nullptr);
    return true;
  }
  bool mouseMove(int32_t x, int32_t y, int modifiers) override {
    log("move", x, y, 0, modifiers);
    return true;
  }
  bool mouseWheel(int32_t x, int32_t y, float delta, int) override {
    events.push_back("wheel " + std::to_string(x) + "," + std::to_string(y) + " " +
                     std::to_string(delta));
    return true;
  }
  void menuCommand(int id) override { events.push_back("command " + std::to_string(id)); }
  void captureLost() override { events.push_back("captureLost"); }
  void log(const char* what, int32_t x, int32_t y, int button, int modifiers) {
    events.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) +
                     (button ? " b" + std::to_string(button) : "") +
                     (modifiers ? " m" + std::to_string(modifiers) : ""));
  }
};

struct Owner : IFrameController, ITimerController {
  bool canClose() override { return true; }
  bool windowDestroyed() override {
    events.push_back("windowDestroyed");
    return true;
  }
  void onTimer() override { ++ticks; }
  int ticks = 0;
};

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

void pump(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  while (GetTickCount() < end) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
}

class WindowToolkit : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "QuorlTestHost";
    RegisterClassA(&hostClass);
    host = CreateWindowExA(0, "QuorlTestHost", "host", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 400,
                           300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    window = new Win32EditorWindow(200, 100, host);
    root = new EditorRoot(*window, &owner, 200, 100);
    window->attach(root);
    probe = new Probe(root);
    hwnd = static_cast<HWND>(window->getHandle());
    ASSERT_NE(hwnd, nullptr);
  }
  void TearDown() override {
    if (host) DestroyWindow(host);  // takes the editor window and its tree with it
  }
  Owner owner;
  HWND host = nullptr, hwnd = nullptr;
  Win32EditorWindow* window = nullptr;
  EditorRoot* root = nullptr;  // the window's, with the probe in it
  Probe* probe = nullptr;
};

TEST_F(WindowToolkit, DoubleClickArrivesAsPressReleasePressRelease) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(25, 15));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, at(25, 15));
  SendMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT, at(25, 15));
  SendMessageA(hwnd, WM_LBUTTONUP, MK_CONTROL, at(25, 15));
  // Releasing the capture tells the control that held it.
  EXPECT_EQ(events, (std::vector<std::string>{"down 5,5 b1", "up 5,5 b1", "captureLost",
                                              "down 5,5 b1 m1", "up 5,5 b1 m2", "captureLost"}));
}

TEST_F(WindowToolkit, CaptureKeepsDeliveringBeyondTheWindowInTheControlsCoordinates) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(30, 20));
  SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(-40, -25));
  SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(300, 500));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, at(-40, -25));
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, at(500, 500));  // released: outside everything
  EXPECT_EQ(events, (std::vector<std::string>{"down 10,10 b1", "move -60,-35", "move 280,490",
                                              "up -60,-35 b1", "captureLost"}));
}

TEST_F(WindowToolkit, WheelComesInScreenCoordinatesAndNotches) {
  RECT bounds;
  GetWindowRect(hwnd, &bounds);
  SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), at(bounds.left + 30, bounds.top + 20));
  SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)),
               at(bounds.left + 30, bounds.top + 20));
  EXPECT_EQ(events, (std::vector<std::string>{"wheel 10,10 2.000000", "wheel 10,10 -0.500000"}));
}

TEST_F(WindowToolkit, MenusDeliverChosenItemsOnlyToTheirTarget) {
  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at(30, 20));  // dismissed with Escape
  pump(50);
  EXPECT_FALSE(root->isMenuOpenFor(probe));
  for (const std::string& e : events) EXPECT_EQ(e.find("command"), std::string::npos);
  SendMessageA(hwnd, WM_COMMAND, 1, 0);  // what a chosen item sends
  EXPECT_EQ(events.back(), "command 1");
  SendMessageA(hwnd, WM_COMMAND, 1, 0);  // delivered once: the target is forgotten
  EXPECT_EQ(events.back(), "command 1");
  EXPECT_EQ(std::count(events.begin(), events.end(), "command 1"), 1);
}

TEST_F(WindowToolkit, TimerTicksEveryTenMilliseconds) {
  root->setTimer(&owner);
  pump(200);
  EXPECT_GE(owner.ticks, 5);
  root->setTimer(nullptr);
  const int ticks = owner.ticks;
  pump(60);
  EXPECT_EQ(owner.ticks, ticks);
}

TEST_F(WindowToolkit, CloseDestroysTheWindowAndTellsTheOwner) {
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(events, (std::vector<std::string>{"windowDestroyed", "deleted"}));
}

TEST_F(WindowToolkit, DisposingEndsTheWindowWithoutTellingTheOwner) {
  root->setTimer(&owner);
  window->dispose();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(events, (std::vector<std::string>{"deleted"}));
  const int ticks = owner.ticks;
  pump(50);
  EXPECT_EQ(owner.ticks, ticks);
}

TEST_F(WindowToolkit, PaintingCreatesTheDeviceAndReleasingDropsIt) {
  UpdateWindow(hwnd);
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  window->releaseResources();  // what closing the editor does; the next paint starts afresh
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  SUCCEED();
}

}  // namespace
