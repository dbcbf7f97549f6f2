// The editor as a host opens it: through the DLL's dispatcher, into a window of the host's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "plugcore/VstAbi.h"

namespace {

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

int editorWindowsIn(HWND host) {
  int count = 0;
  for (HWND child = FindWindowExA(host, nullptr, "MintwerkWinwrapper", nullptr); child;
       child = FindWindowExA(host, child, "MintwerkWinwrapper", nullptr))
    ++count;
  return count;
}

class EditorInHost : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryA(QUORL_WINDOWS_MODULE);
    ASSERT_NE(module, nullptr);
    auto entry = reinterpret_cast<VstPluginMainProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "QuorlEditorHost";
    RegisterClassA(&hostClass);
    for (int i = 0; i < 2; ++i) {
      effects[i] = entry(hostCallback);
      ASSERT_NE(effects[i], nullptr);
      // The first factory preset turns the output down; the knob tests start at its default.
      effects[i]->setParameter(effects[i], 6, 0.5f);
      hosts[i] =
          CreateWindowExA(0, "QuorlEditorHost", "host", WS_OVERLAPPED | WS_VISIBLE, 50 + 400 * i,
                          50, 380, 260, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i) {
      if (hosts[i]) DestroyWindow(hosts[i]);
      if (effects[i]) effects[i]->dispatcher(effects[i], effClose, 0, 0, nullptr, 0);
    }
    FreeLibrary(module);
  }
  VstIntPtr dispatch(int i, VstInt32 opcode, void* ptr = nullptr) {
    return effects[i]->dispatcher(effects[i], opcode, 0, 0, ptr, 0);
  }
  HMODULE module = nullptr;
  AEffect* effects[2] = {};
  HWND hosts[2] = {};
};

TEST_F(EditorInHost, OpensOneChildWindowAndOpeningTwiceCreatesNothing) {
  EXPECT_EQ(effects[0]->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  EXPECT_EQ(dispatch(0, effEditGetRect, &rect), 1);
  EXPECT_EQ(rect->right, 340);
  EXPECT_EQ(dispatch(0, effEditOpen, hosts[0]), 1);
  EXPECT_EQ(dispatch(0, effEditOpen, hosts[0]), 1);
  EXPECT_EQ(editorWindowsIn(hosts[0]), 1);
  HWND editor = FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr);
  RECT client;
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right, 340);
  EXPECT_EQ(client.bottom, 190);
  UpdateWindow(editor);  // the first paint makes the GL device
  dispatch(0, effEditClose);
}

TEST_F(EditorInHost, TwoEditorsShareOneWindowClass) {
  dispatch(0, effEditOpen, hosts[0]);
  dispatch(1, effEditOpen, hosts[1]);
  EXPECT_EQ(editorWindowsIn(hosts[0]), 1);
  EXPECT_EQ(editorWindowsIn(hosts[1]), 1);
  const ATOM first = static_cast<ATOM>(
      GetClassLongPtrA(FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr), GCW_ATOM));
  const ATOM second = static_cast<ATOM>(
      GetClassLongPtrA(FindWindowExA(hosts[1], nullptr, "MintwerkWinwrapper", nullptr), GCW_ATOM));
  EXPECT_EQ(first, second);
  dispatch(0, effEditClose);
  dispatch(1, effEditClose);
}

TEST_F(EditorInHost, ClosingTheEditorWindowClosesTheEditor) {
  dispatch(0, effEditOpen, hosts[0]);
  HWND editor = FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr);
  SendMessageA(editor, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(dispatch(0, effEditOpen, hosts[0]), 1);  // closed, so this builds a new one
  EXPECT_EQ(editorWindowsIn(hosts[0]), 1);
}

TEST_F(EditorInHost, HostDestroyingItsWindowWithoutCloseIsSafe) {
  dispatch(0, effEditOpen, hosts[0]);
  UpdateWindow(FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr));
  DestroyWindow(hosts[0]);
  hosts[0] = nullptr;
  dispatch(0, effEditClose);  // a late close after the window went does nothing
  hosts[0] = CreateWindowExA(0, "QuorlEditorHost", "host", WS_OVERLAPPED | WS_VISIBLE, 50, 50, 380,
                             260, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(dispatch(0, effEditOpen, hosts[0]), 1);
  EXPECT_EQ(editorWindowsIn(hosts[0]), 1);
}

TEST_F(EditorInHost, HostWheelNotificationTurnsTheKnobUnderThePointer) {
  dispatch(0, effEditOpen, hosts[0]);
  HWND editor = FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr);
  POINT overOutput = {290, 100};  // the output knob's centre
  ClientToScreen(editor, &overOutput);
  ASSERT_TRUE(SetCursorPos(overOutput.x, overOutput.y));
  const VstInt32 wheelIndex = 0x73744341;   // 'stCA'
  const VstIntPtr wheelValue = 0x57686565;  // 'Whee'
  EXPECT_EQ(
      effects[0]->dispatcher(effects[0], effVendorSpecific, wheelIndex, wheelValue, nullptr, 1.0f),
      1);
  MSG message;
  for (int i = 0; i < 20 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i)
    DispatchMessageA(&message);
  EXPECT_FLOAT_EQ(effects[0]->getParameter(effects[0], 6), 0.55f);
  // Over the host's own window nothing is posted; other codes are not the wheel.
  POINT overHost = {5, 250};
  ClientToScreen(hosts[0], &overHost);
  SetCursorPos(overHost.x, overHost.y);
  EXPECT_EQ(
      effects[0]->dispatcher(effects[0], effVendorSpecific, wheelIndex, wheelValue, nullptr, 1.0f),
      0);
  EXPECT_EQ(effects[0]->dispatcher(effects[0], effVendorSpecific, 1, wheelValue, nullptr, 1.0f), 0);
  dispatch(0, effEditClose);
}

TEST_F(EditorInHost, HostWheelDistanceIsHeldWithinTheMessagesRange) {
  dispatch(0, effEditOpen, hosts[0]);
  HWND editor = FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr);
  POINT overOutput = {290, 100};
  ClientToScreen(editor, &overOutput);
  ASSERT_TRUE(SetCursorPos(overOutput.x, overOutput.y));
  auto wheel = [&](float notches) {
    return effects[0]->dispatcher(effects[0], effVendorSpecific, 0x73744341, 0x57686565, nullptr,
                                  notches);
  };
  const float infinity = std::numeric_limits<float>::infinity();
  const struct {
    float notches;
    int delta;
  } cases[] = {{0.5f, 60},        {-0.99f, -118},      {273.0f, 32760},
               {273.1f, 32767},   {1000.0f, 32767},    {-1000.0f, -32768},
               {infinity, 32767}, {-infinity, -32768}, {1e30f, 32767}};
  for (const auto& c : cases) {
    EXPECT_EQ(wheel(c.notches), 1) << c.notches;
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, editor, WM_MOUSEWHEEL, WM_MOUSEWHEEL, PM_REMOVE))
        << c.notches;
    EXPECT_EQ(static_cast<int16_t>(HIWORD(message.wParam)), c.delta) << c.notches;
  }
  // A distance that is no number turns nothing.
  EXPECT_EQ(wheel(std::numeric_limits<float>::quiet_NaN()), 0);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, editor, WM_MOUSEWHEEL, WM_MOUSEWHEEL, PM_REMOVE));
  dispatch(0, effEditClose);
}

// Catches the device's leak report, which goes to the debug output.
int leakReports = 0;
LONG CALLBACK watchDebugOutput(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode != DBG_PRINTEXCEPTION_C)
    return EXCEPTION_CONTINUE_SEARCH;
  const char* line = reinterpret_cast<const char*>(info->ExceptionRecord->ExceptionInformation[1]);
  if (std::strstr(line, "possible leak")) ++leakReports;
  return EXCEPTION_CONTINUE_EXECUTION;
}

TEST_F(EditorInHost, TwentyOpenCloseCyclesLeakNoTextureAndNoWindow) {
  void* handler = AddVectoredExceptionHandler(1, watchDebugOutput);
  leakReports = 0;
  for (int cycle = 0; cycle < 20; ++cycle) {
    ASSERT_EQ(dispatch(0, effEditOpen, hosts[0]), 1);
    HWND editor = FindWindowExA(hosts[0], nullptr, "MintwerkWinwrapper", nullptr);
    RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // textures, fonts
    dispatch(0, effEditClose);  // the window ends with the editor
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(editorWindowsIn(hosts[0]), 0);
  }
  RemoveVectoredExceptionHandler(handler);
  EXPECT_EQ(leakReports, 0);
}

}  // namespace
