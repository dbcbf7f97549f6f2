// The editor's lifetime as hosts drive it through the DLL: every order of closing the editor,
// closing the effect, destroying the host's window and unloading the module, with messages
// pumped between the steps and freed memory overwritten, so that anything of ours still running
// on a dead editor, effect or module crashes the run instead of passing by luck.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "../unit/MessageBoxRecorder.h"
#include "FreedMemory.h"
#include "plugcore/VstAbi.h"

namespace {

AEffect* currentEffect = nullptr;
// What the host does when a knob gesture begins: nothing, or close the editor right there.
bool closeEditorOnGesture = false;

int gesturesEnded = 0;

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterEndEdit) ++gesturesEnded;
  if (opcode == audioMasterBeginEdit && closeEditorOnGesture && effect)
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0);
  return opcode == audioMasterVersion ? 2400 : 0;
}

// A host window that, like many hosts, tears the plug-in down while it is being destroyed.
LRESULT CALLBACK closingHostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && currentEffect) {
    currentEffect->dispatcher(currentEffect, effEditClose, 0, 0, nullptr, 0);
    currentEffect->dispatcher(currentEffect, effClose, 0, 0, nullptr, 0);
    currentEffect = nullptr;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK countOurs(HWND window, LPARAM count) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == "MintwerkWinwrapper") ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int editorWindowsIn(HWND host) {
  int count = 0;
  if (host) EnumChildWindows(host, countOurs, reinterpret_cast<LPARAM>(&count));
  return count;
}

HWND editorWindowIn(HWND host) {
  return FindWindowExA(host, nullptr, "MintwerkWinwrapper", nullptr);
}

class EditorLifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    closeEditorOnGesture = false;
    gesturesEnded = 0;
    module = LoadLibraryA(QUORL_WINDOWS_MODULE);
    ASSERT_NE(module, nullptr);
    auto entry = reinterpret_cast<VstPluginMainProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    ASSERT_NE(entry, nullptr);
    effect = entry(hostCallback);
    ASSERT_NE(effect, nullptr);
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "QuorlLifetimeHost";
    RegisterClassA(&hostClass);
    hostClass.lpfnWndProc = closingHostProcedure;
    hostClass.lpszClassName = "QuorlClosingHost";
    RegisterClassA(&hostClass);
    host = makeHost("QuorlLifetimeHost");
  }
  void TearDown() override {
    if (host) DestroyWindow(host);
    if (effect) dispatch(effClose);
    if (module) FreeLibrary(module);
    pumpMessages(30);
    EXPECT_EQ(FreedMemory::damagedHeaps(), "");
  }
  static HWND makeHost(const char* className) {
    return CreateWindowExA(0, className, "host", WS_OVERLAPPED | WS_VISIBLE, 60, 60, 380, 260,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0);
  }
  // Opens the editor and lets it paint and tick, so that it holds a device and textures.
  HWND openAndShow() {
    EXPECT_EQ(dispatch(effEditOpen, host), 1);
    HWND editor = editorWindowIn(host);
    EXPECT_NE(editor, nullptr);
    RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pumpMessages(50);
    return editor;
  }
  void closeEffect() {
    EXPECT_EQ(dispatch(effClose), 1);
    effect = nullptr;
  }
  void destroyHost() {
    DestroyWindow(host);
    host = nullptr;
  }

  HMODULE module = nullptr;
  AEffect* effect = nullptr;
  HWND host = nullptr;
};

TEST_F(EditorLifetime, EditorClosedThenEffectClosedThenHostWindowDestroyed) {
  openAndShow();
  dispatch(effEditClose);
  EXPECT_EQ(editorWindowsIn(host), 0);  // the editor's window ends with the editor
  pumpMessages(50);
  closeEffect();
  pumpMessages(50);
  destroyHost();
  pumpMessages(30);
}

TEST_F(EditorLifetime, EffectClosedWithoutEditorCloseThenHostWindowDestroyed) {
  openAndShow();
  closeEffect();
  EXPECT_EQ(editorWindowsIn(host), 0);
  pumpMessages(50);
  destroyHost();
  pumpMessages(30);
}

TEST_F(EditorLifetime, HostWindowDestroyedThenEditorClosedThenEffectClosed) {
  openAndShow();
  destroyHost();
  pumpMessages(50);
  dispatch(effEditClose);
  pumpMessages(30);
  closeEffect();
  pumpMessages(30);
}

TEST_F(EditorLifetime, HostClosesEditorAndEffectWhileItsWindowIsBeingDestroyed) {
  DestroyWindow(host);
  host = makeHost("QuorlClosingHost");
  openAndShow();
  currentEffect = effect;
  effect = nullptr;  // the host's window closes it
  destroyHost();
  EXPECT_EQ(currentEffect, nullptr);
  pumpMessages(50);
}

TEST_F(EditorLifetime, ReopeningOnOneParentLeavesAtMostOneWindowOfOurs) {
  for (int cycle = 0; cycle < 5; ++cycle) {
    openAndShow();
    EXPECT_EQ(dispatch(effEditOpen, host), 1);  // a second open creates nothing
    EXPECT_EQ(editorWindowsIn(host), 1) << "cycle " << cycle;
    dispatch(effEditClose);
    EXPECT_EQ(editorWindowsIn(host), 0) << "cycle " << cycle;
    pumpMessages(20);
  }
}

TEST_F(EditorLifetime, DestroyingAStaleWindowLeavesTheCurrentEditorOpen) {
  HWND first = openAndShow();
  dispatch(effEditClose);
  EXPECT_FALSE(IsWindow(first));
  HWND second = openAndShow();
  // Whatever a host still holds of the first window, its end is not the current editor's.
  if (IsWindow(first)) DestroyWindow(first);
  pumpMessages(30);
  EXPECT_EQ(dispatch(effEditOpen, host), 1);  // still open: nothing new
  EXPECT_EQ(editorWindowsIn(host), 1);
  EXPECT_EQ(editorWindowIn(host), second);
}

TEST_F(EditorLifetime, HostClosingTheEditorFromAGestureCallback) {
  HWND editor = openAndShow();
  closeEditorOnGesture = true;
  // A press on the output knob begins a gesture; the host closes the editor right then, while
  // the knob's press is still being handled.
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(290, 100));
  closeEditorOnGesture = false;
  EXPECT_FALSE(IsWindow(editor));
  pumpMessages(50);
  EXPECT_EQ(dispatch(effEditOpen, host), 1);
  EXPECT_EQ(editorWindowsIn(host), 1);
}

HWND hostToDestroy = nullptr;

TEST_F(EditorLifetime, HostWindowDestroyedWhileAKnobsMenuShows) {
  HWND editor = openAndShow();
  // The host's window goes while the menu's loop runs (a host timer, say); the menu then ends.
  hostToDestroy = host;
  SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    DestroyWindow(hostToDestroy);
    EndMenu();
  });
  SendMessageA(editor, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(290, 100));
  host = nullptr;
  EXPECT_FALSE(IsWindow(editor));
  pumpMessages(50);
  closeEffect();
  pumpMessages(30);
}

AEffect* effectToClose = nullptr;
bool menuOutlivedTheEditor = false;

// The host closes the editor while a knob's menu shows (from a timer inside the menu's loop):
// the menu goes at once instead of waiting for the user.
TEST_F(EditorLifetime, EditorClosedWhileAKnobsMenuShowsTakesTheMenuAway) {
  HWND editor = openAndShow();
  effectToClose = effect;
  menuOutlivedTheEditor = false;
  SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    effectToClose->dispatcher(effectToClose, effEditClose, 0, 0, nullptr, 0);
    // Should the menu still be up, the user would have to end it: this stands in.
    SetTimer(nullptr, 0, 2000, [](HWND, UINT, UINT_PTR later, DWORD) {
      KillTimer(nullptr, later);
      menuOutlivedTheEditor = true;
      EndMenu();
    });
  });
  SendMessageA(editor, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(290, 100));
  EXPECT_FALSE(menuOutlivedTheEditor);
  EXPECT_FALSE(IsWindow(editor));
  pumpMessages(50);
}

// A drag ends once with its window, and a move with no button held never moves a value.
TEST_F(EditorLifetime, DragEndsWithItsWindowAndButtonlessMovesMoveNothing) {
  HWND editor = openAndShow();
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(290, 100));
  SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(290, 60));
  dispatch(effEditClose);
  EXPECT_EQ(gesturesEnded, 1);
  editor = openAndShow();
  SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(290, 100));
  SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(290, 60));
  const float before = effect->getParameter(effect, 6);
  SendMessageA(editor, WM_MOUSEMOVE, 0, MAKELPARAM(290, 20));  // its release never came
  SendMessageA(editor, WM_MOUSEMOVE, 0, MAKELPARAM(290, 0));
  EXPECT_EQ(effect->getParameter(effect, 6), before);
  EXPECT_EQ(gesturesEnded, 2);
}

TEST_F(EditorLifetime, EditorAndEffectClosedFromAnotherThread) {
  openAndShow();
  // Not how the protocol means it, but hosts do it: nothing may be left to run on this thread.
  std::thread([this] {
    dispatch(effEditClose);
    closeEffect();
  }).join();
  pumpMessages(100);
  EXPECT_EQ(editorWindowsIn(host), 0);
  destroyHost();
  pumpMessages(30);
}

TEST_F(EditorLifetime, ModuleUnloadedAfterEffectCloseWithTheHostWindowAlive) {
  openAndShow();
  closeEffect();
  FreeLibrary(module);
  module = nullptr;
  pumpMessages(80);
  destroyHost();
  pumpMessages(30);
}

TEST_F(EditorLifetime, ModuleUnloadedWhileTheEditorIsStillOpen) {
  openAndShow();
  // The host never closes the effect: it is lost with the module, but the window whose
  // procedure lived in the module must not outlive it.
  effect = nullptr;
  FreeLibrary(module);
  module = nullptr;
  pumpMessages(80);
  EXPECT_EQ(editorWindowsIn(host), 0);
  destroyHost();
  pumpMessages(30);
}

// Counts the thread timer messages (no window) that arrive while pumping.
int threadTimerTicks(int milliseconds) {
  int ticks = 0;
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG message;
  do {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && !message.hwnd) ++ticks;
      DispatchMessageA(&message);
    }
    Sleep(5);
  } while (GetTickCount() < end);
  return ticks;
}

TEST_F(EditorLifetime, OpenWithAParentThatIsNotAWindowFailsAndLeavesNothing) {
  MessageBoxRecorder boxes;
  HWND notAWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FF00010));
  ASSERT_FALSE(IsWindow(notAWindow));
  EXPECT_EQ(dispatch(effEditOpen, notAWindow), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Failed to create a control.");
  EXPECT_EQ(boxes.shown[0].caption, "Error!");
  EXPECT_EQ(threadTimerTicks(100), 0);
  // Nothing counts as open: the next open with a real window builds the editor.
  EXPECT_EQ(dispatch(effEditOpen, host), 1);
  EXPECT_EQ(editorWindowsIn(host), 1);
  dispatch(effEditClose);
}

}  // namespace
