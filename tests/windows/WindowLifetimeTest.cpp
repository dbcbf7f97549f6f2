// The native window's own lifetime: destroyed inside its menu's loop, it outlives the menu call
// and goes only when its message handling has returned.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FreedMemory.h"
#include "gui/EditorRoot.h"
#include "gui/Menu.h"
#include "gui/native/win32/Win32EditorWindow.h"

using namespace Mintwerk;

namespace {

std::vector<std::string> events;
HWND hostToDestroy = nullptr;

struct MenuProbe : Control {
  explicit MenuProbe(Container* parent) : Control(parent, 20, 10, 40, 30) {}
  ~MenuProbe() override { events.push_back("deleted"); }
  bool mouseDown(int32_t, int32_t, int, int) override {
    Menu* menu = parent->createMenu(this);
    menu->addItem("&First", 1, true);
    // The host's window goes while the menu's loop runs; the menu ends with it.
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
      KillTimer(nullptr, timer);
      DestroyWindow(hostToDestroy);
      EndMenu();
    });
    menu->popup(width / 2, height / 2);
    events.push_back("menu returned");
    delete menu;
    return true;
  }
};

struct Owner : IFrameController {
  bool canClose() override { return true; }
  bool windowDestroyed() override {
    events.push_back("windowDestroyed");
    return true;
  }
};

TEST(WindowLifetime, WindowDestroyedInsideItsMenuLoopGoesAfterTheMenuReturns) {
  events.clear();
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.lpszClassName = "QuorlMenuHost";
  RegisterClassA(&hostClass);
  hostToDestroy = CreateWindowExA(0, "QuorlMenuHost", "host", WS_OVERLAPPED | WS_VISIBLE, 100, 100,
                                  400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  Owner owner;
  auto* window = new Win32EditorWindow(200, 100, hostToDestroy);
  auto* root = new EditorRoot(*window, &owner, 200, 100);
  window->attach(root);
  new MenuProbe(root);
  HWND hwnd = static_cast<HWND>(window->getHandle());
  ASSERT_NE(hwnd, nullptr);

  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 20));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(events, (std::vector<std::string>{"windowDestroyed", "menu returned", "deleted"}));
  pumpMessages(30);
  EXPECT_EQ(FreedMemory::damagedHeaps(), "");
}

}  // namespace
