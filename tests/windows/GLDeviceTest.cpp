// The GL device on a real window under Wine: every blend and combine mode drawn with known
// textures and colours and read back, texture addressing with and without rectangle textures,
// context switching, and the leak report.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dxblit/Exception.h"
#include "dxblit/GLTexture.h"
#include "dxblit/Scene.h"
#include "dxblit/Shader.h"
#include "dxblit/WindowDevice.h"

using namespace DXBlit;

namespace {

constexpr int kSize = 64;

// Catches what the code under test writes to the debug output.
std::vector<std::string> debugLines;
LONG CALLBACK catchDebugOutput(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode == DBG_PRINTEXCEPTION_C &&
      info->ExceptionRecord->NumberParameters >= 2) {
    debugLines.emplace_back(
        reinterpret_cast<const char*>(info->ExceptionRecord->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

struct LambdaScene : Scene {
  std::function<void(Context&)> body;
  void draw(Context& context) override { body(context); }
};

class GLDeviceOnWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorlGLTest";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "QuorlGLTest", "gl", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    handler = AddVectoredExceptionHandler(1, catchDebugOutput);
    debugLines.clear();
  }
  void TearDown() override {
    if (device) device->release();
    RemoveVectoredExceptionHandler(handler);
    DestroyWindow(window);
  }
  void open(bool rectangles = true) {
    GLDeviceOptions options;
    options.allowRectangleTextures = rectangles;
    device = createWindowDevice(window, options);
  }
  // Draws one frame and returns its pixels, top row first, as 0x00RRGGBB.
  std::vector<uint32_t> frame(std::function<void(Context&)> body) {
    LambdaScene scene;
    scene.body = std::move(body);
    device->render(scene, 1.0f);
    std::vector<uint32_t> bottomUp(kSize * kSize), topDown(kSize * kSize);
    device->readPixels(0, 0, kSize, kSize, bottomUp.data());
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        topDown[y * kSize + x] = bottomUp[(kSize - 1 - y) * kSize + x] & 0xFFFFFF;
    return topDown;
  }
  StaticTexture* texture(unsigned width, unsigned height, const std::vector<uint32_t>& pixels) {
    StaticTexture* t = device->createStaticTexture(width, height);
    t->update(pixels.data(), width, 0, 0, width, height);
    return t;
  }

  HWND window = nullptr;
  GLDevice* device = nullptr;
  void* handler = nullptr;
};

// Channel-wise comparison with a little room for the rasteriser's rounding.
::testing::AssertionResult closeTo(uint32_t actual, uint32_t expected) {
  for (int shift : {0, 8, 16}) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > 2)
      return ::testing::AssertionFailure()
             << std::hex << "pixel 0x" << actual << ", expected 0x" << expected;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(GLDeviceOnWindow, FrameIsClearedToTheBackgroundColour) {
  open();
  auto pixels = frame([](Context&) {});
  EXPECT_TRUE(closeTo(pixels[0], 0x003333));
  EXPECT_TRUE(closeTo(pixels[kSize * kSize - 1], 0x003333));
}

TEST_F(GLDeviceOnWindow, CombineModesMixTexturesAndColour) {
  open();
  StaticTexture* red = texture(1, 1, {0xFFFF0000});
  StaticTexture* grey = texture(1, 1, {0xFF808080});
  StaticTexture* blue = texture(1, 1, {0x80000080});  // premultiplied half blue
  auto quad = [](float x, uint32_t colour) { return makeBlitQuad(x, 0, 8, 8, 0, 0, colour); };
  auto at = [](int x) { return 4 * kSize + x + 4; };
  auto pixels = frame([&](Context& c) {
    {
      Shader s(c, BlendNone, CombineColor);
      Quad q = quad(0, 0xFF336699);
      c.drawQuads(&q, 1);
    }
    {
      Shader s(c, BlendNone, CombineTexture, grey);
      Quad q = quad(8, 0xFFFF8000);  // grey times orange
      c.drawQuads(&q, 1);
    }
    {
      Shader s(c, BlendNone, CombineSubpixel, grey);
      Quad q = quad(16, 0x40FFFFFF);  // colour alpha does not touch RGB
      c.drawQuads(&q, 1);
    }
    {
      Shader s(c, BlendNone, CombineTwoTextures, red, grey);
      Quad q = quad(24, 0xFFFFFFFF);
      c.drawQuads(&q, 1);
    }
    {
      Shader s(c, BlendNone, CombineCrossfade, red, grey);
      Quad q = quad(32, 0x40FFFFFF);  // a quarter of the way from red to grey
      c.drawQuads(&q, 1);
    }
    {
      Shader s(c, BlendPremultiplied, CombineTexture, blue);
      Quad q = quad(40, 0xFFFFFFFF);
      c.drawQuads(&q, 1);
    }
  });
  EXPECT_TRUE(closeTo(pixels[at(0)], 0x336699));
  EXPECT_TRUE(closeTo(pixels[at(8)], 0x804000));
  EXPECT_TRUE(closeTo(pixels[at(16)], 0x808080));
  EXPECT_TRUE(closeTo(pixels[at(24)], 0x800000));
  EXPECT_TRUE(closeTo(pixels[at(32)], 0xDF2020));
  EXPECT_TRUE(closeTo(pixels[at(40)], 0x001999));  // half blue over the background
  red->release();
  grey->release();
  blue->release();
}

TEST_F(GLDeviceOnWindow, BlendModesOverTheBackground) {
  open();
  struct Case {
    BlendMode blend;
    uint32_t colour, expected;
  } cases[] = {
      {BlendNone, 0x80800000, 0x800000},     {BlendPremultiplied, 0x80800000, 0x801A1A},
      {BlendAdd, 0x80800000, 0x803333},      {BlendAlpha, 0x80FF0000, 0x801A1A},
      {BlendSubpixel, 0x80FF0000, 0x803333},  // the red channel covers, the others do not
  };
  int x = 0;
  std::vector<int> where;
  auto pixels = frame([&](Context& c) {
    for (const Case& k : cases) {
      Shader s(c, k.blend, CombineColor);
      Quad q = makeBlitQuad(static_cast<float>(x), 0, 8, 8, 0, 0, k.colour);
      c.drawQuads(&q, 1);
      where.push_back(4 * kSize + x + 4);
      x += 8;
    }
  });
  for (size_t i = 0; i < where.size(); ++i)
    EXPECT_TRUE(closeTo(pixels[where[i]], cases[i].expected)) << "blend " << cases[i].blend;
}

TEST_F(GLDeviceOnWindow, MissingTextureShowsTheChecker) {
  open();
  auto pixels = frame([](Context& c) {
    Shader s(c, BlendNone, CombineTexture);
    Quad q = makeBlitQuad(0, 0, 4, 4, 0, 0, 0xFFFFFFFF);
    c.drawQuads(&q, 1);
  });
  EXPECT_TRUE(closeTo(pixels[0], 0xFF0000));
  EXPECT_TRUE(closeTo(pixels[3], 0x00FF00));
  EXPECT_TRUE(closeTo(pixels[3 * kSize], 0xFFFF00));
  EXPECT_TRUE(closeTo(pixels[3 * kSize + 3], 0x0000FF));
}

TEST_F(GLDeviceOnWindow, OddSizedTexturesAddressOneToOneEitherWay) {
  for (bool rectangles : {true, false}) {
    open(rectangles);
    std::vector<uint32_t> pixels(5 * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
      pixels[i] =
          0xFF000000 | static_cast<uint32_t>(i * 16) << 16 | static_cast<uint32_t>(255 - i * 16);
    StaticTexture* t = texture(5, 3, pixels);
    auto* gl = dynamic_cast<GLTexture*>(t);
    EXPECT_EQ(gl->allocatedWidth(), rectangles && device->hasRectangleTextures() ? 5u : 8u);
    EXPECT_EQ(gl->allocatedHeight(), rectangles && device->hasRectangleTextures() ? 3u : 4u);
    auto shown = frame([&](Context& c) {
      Shader s(c, BlendNone, CombineTexture, t);
      Quad q = makeBlitQuad(10, 20, 5, 3, 0, 0, 0xFFFFFFFF);
      c.drawQuads(&q, 1);
    });
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_TRUE(closeTo(shown[(20 + y) * kSize + 10 + x], pixels[y * 5 + x] & 0xFFFFFF))
            << "rectangles " << rectangles << " at " << x << "," << y;
    // An update reaching past the edge is clipped.
    std::vector<uint32_t> wide(10 * 10, 0xFFFFFFFF);
    t->update(wide.data(), 10, 3, 1, 10, 10);
    t->release();
    device->release();
    device = nullptr;
  }
  StaticTexture* big = nullptr;
  open(false);
  big = device->createStaticTexture(340, 190);
  EXPECT_EQ(dynamic_cast<GLTexture*>(big)->allocatedWidth(), 512u);
  EXPECT_EQ(dynamic_cast<GLTexture*>(big)->allocatedHeight(), 256u);
  big->release();
}

TEST_F(GLDeviceOnWindow, TheHostsContextComesBackAndNestingSwitchesOnce) {
  // The host has a GL context of its own current on this thread.
  HWND hostWindow = CreateWindowExA(0, "QuorlGLTest", "host", WS_POPUP, 0, 0, 8, 8, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
  HDC hostDc = GetDC(hostWindow);
  PIXELFORMATDESCRIPTOR format = {};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  format.cColorBits = 24;
  SetPixelFormat(hostDc, ChoosePixelFormat(hostDc, &format), &format);
  HGLRC hostContext = wglCreateContext(hostDc);
  ASSERT_TRUE(wglMakeCurrent(hostDc, hostContext));

  open();
  EXPECT_EQ(wglGetCurrentContext(), hostContext);
  {
    GLDevice::CurrentScope outer(*device);
    HGLRC inside = wglGetCurrentContext();
    EXPECT_NE(inside, hostContext);
    StaticTexture* t = device->createStaticTexture(2, 2);  // a nested scope
    EXPECT_EQ(wglGetCurrentContext(), inside);
    t->release();
  }
  EXPECT_EQ(wglGetCurrentContext(), hostContext);
  frame([](Context&) {});
  EXPECT_EQ(wglGetCurrentContext(), hostContext);

  device->release();
  device = nullptr;
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(hostContext);
  ReleaseDC(hostWindow, hostDc);
  DestroyWindow(hostWindow);
}

TEST_F(GLDeviceOnWindow, DestroyingWithALiveTextureReportsTheLeak) {
  open();
  device->createStaticTexture(8, 8);  // never released
  EXPECT_NO_THROW(device->release());
  device = nullptr;
  ASSERT_FALSE(debugLines.empty());
  EXPECT_EQ(debugLines.back(), "Harrowmint GL stats.textures non-zero; possible leak.\r\n");

  debugLines.clear();
  open();
  device->createStaticTexture(8, 8)->release();
  device->release();
  device = nullptr;
  EXPECT_TRUE(debugLines.empty());
}

TEST_F(GLDeviceOnWindow, BadCombineOrBlendModesReportTheirCodes) {
  open();
  EXPECT_THROW(frame([](Context& c) {
                 c.applyState(BlendNone, static_cast<CombineMode>(7), nullptr, nullptr);
               }),
               Exception);
  ASSERT_FALSE(debugLines.empty());
  EXPECT_EQ(debugLines[0], "Harrowmint GL: check failed at line 478 (please report this bug).\r\n");
  EXPECT_THROW(frame([](Context& c) {
                 c.applyState(static_cast<BlendMode>(9), CombineColor, nullptr, nullptr);
               }),
               Exception);
  EXPECT_EQ(debugLines.back(),
            "Harrowmint GL: check failed at line 509 (please report this bug).\r\n");
}

}  // namespace
