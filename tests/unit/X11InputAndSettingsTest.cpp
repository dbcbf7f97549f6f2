// The portable halves of the X11 editor: what pointer events from the server mean to the
// controls, the text settings read from the X resources, and how the web address is opened.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "gui/native/x11/X11PointerInput.h"
#include "platform/WebAddress.h"
#include "platform/linux/LinuxSystemTextSettings.h"

namespace {

using Mintwerk::PointerEvent;
using Mintwerk::PointerTranslator;
using Mintwerk::XPointerEvent;

constexpr unsigned kShift = 1u << 0, kControl = 1u << 2, kButton1Held = 1u << 8;

PointerEvent press(PointerTranslator& pointer, unsigned button, int x, int y, unsigned long time,
                   unsigned state = 0) {
  return pointer.translate({XPointerEvent::kPress, button, x, y, state, time});
}

TEST(X11PointerInput, ButtonsWheelAndModifiersAsTheControlsReadThem) {
  PointerTranslator pointer;
  PointerEvent left = press(pointer, 1, 10, 20, 1000, kShift | kControl);
  EXPECT_EQ(left.kind, PointerEvent::kDown);
  EXPECT_EQ(left.button, 1);
  EXPECT_EQ(left.modifiers, 3);
  EXPECT_EQ(left.x, 10);
  EXPECT_EQ(left.y, 20);
  PointerEvent right = press(pointer, 3, 10, 20, 3000, kControl);
  EXPECT_EQ(right.button, 2);
  EXPECT_EQ(right.modifiers, 2);
  EXPECT_EQ(press(pointer, 2, 10, 20, 5000).kind, PointerEvent::kNone);  // middle: unused

  // A notch away from the user is +1, towards the user -1; their releases mean nothing.
  PointerEvent up = press(pointer, 4, -5, 7, 7000, kShift);
  EXPECT_EQ(up.kind, PointerEvent::kWheel);
  EXPECT_EQ(up.delta, 1.0f);
  EXPECT_EQ(up.modifiers, 1);
  EXPECT_EQ(press(pointer, 5, 0, 0, 7100).delta, -1.0f);
  EXPECT_EQ(pointer.translate({XPointerEvent::kRelease, 4, 0, 0, 0, 7150}).kind,
            PointerEvent::kNone);

  PointerEvent moved = pointer.translate({XPointerEvent::kMotion, 0, -30, 400, kButton1Held, 8000});
  EXPECT_EQ(moved.kind, PointerEvent::kMove);
  EXPECT_EQ(moved.y, 400);        // beyond the window while a grab holds the pointer
  EXPECT_EQ(moved.modifiers, 0);  // a held button is no modifier
  PointerEvent released = pointer.translate({XPointerEvent::kRelease, 3, 1, 2, 0, 8100});
  EXPECT_EQ(released.kind, PointerEvent::kUp);
  EXPECT_EQ(released.button, 2);
}

TEST(X11PointerInput, DoubleClickNeedsOneButtonCloseInTimeAndPlace) {
  PointerTranslator pointer;
  EXPECT_EQ(press(pointer, 1, 100, 100, 1000).kind, PointerEvent::kDown);
  EXPECT_EQ(press(pointer, 1, 102, 98, 1500).kind, PointerEvent::kDoubleClick);
  // A third press starts over; a fourth completes the next pair.
  EXPECT_EQ(press(pointer, 1, 100, 100, 1600).kind, PointerEvent::kDown);
  EXPECT_EQ(press(pointer, 1, 100, 100, 1700).kind, PointerEvent::kDoubleClick);

  EXPECT_EQ(press(pointer, 1, 100, 100, 3000).kind, PointerEvent::kDown);
  EXPECT_EQ(press(pointer, 1, 100, 100, 3501).kind, PointerEvent::kDown);  // too late
  EXPECT_EQ(press(pointer, 1, 103, 100, 3600).kind, PointerEvent::kDown);  // too far
  EXPECT_EQ(press(pointer, 3, 103, 100, 3700).kind, PointerEvent::kDown);  // other button
  EXPECT_EQ(press(pointer, 3, 103, 100, 3800).kind, PointerEvent::kDoubleClick);

  // The server's clock wraps: the interval still counts.
  EXPECT_EQ(press(pointer, 1, 5, 5, 0xFFFFFF00ul).kind, PointerEvent::kDown);
  EXPECT_EQ(press(pointer, 1, 5, 5, 0x10ul).kind, PointerEvent::kDoubleClick);

  // After a menu or dialog had the pointer, a press is a first press again.
  EXPECT_EQ(press(pointer, 1, 5, 5, 9000).kind, PointerEvent::kDown);
  pointer.forgetPresses();
  EXPECT_EQ(press(pointer, 1, 5, 5, 9100).kind, PointerEvent::kDown);
}

TEST(X11TextSettings, XftResourcesGiveSmoothingAndSubpixelOrder) {
  Platform::TextSmoothingQuery nothing = Platform::textSmoothingFromResources(nullptr);
  EXPECT_FALSE(nothing.smoothingKnown || nothing.typeKnown || nothing.orientationKnown);
  nothing = Platform::textSmoothingFromResources("Xft.dpi:\t96\n*background: black\n");
  EXPECT_FALSE(nothing.smoothingKnown || nothing.typeKnown || nothing.orientationKnown);

  Platform::TextSmoothingQuery bgr =
      Platform::textSmoothingFromResources("Xft.dpi: 96\nXft.antialias:\t1\nXft.rgba:  bgr \n");
  EXPECT_TRUE(bgr.smoothingKnown && bgr.smoothingOn);
  EXPECT_TRUE(bgr.typeKnown);
  EXPECT_EQ(bgr.type, 2);
  EXPECT_TRUE(bgr.orientationKnown);
  EXPECT_EQ(bgr.orientation, 0);

  Platform::TextSmoothingQuery rgbOnly = Platform::textSmoothingFromResources("Xft.rgba:\trgb");
  EXPECT_TRUE(rgbOnly.smoothingKnown && rgbOnly.smoothingOn);
  EXPECT_EQ(rgbOnly.type, 2);
  EXPECT_EQ(rgbOnly.orientation, 1);

  // Smoothing switched off, or stripes we cannot draw: grey text.
  Platform::TextSmoothingQuery off =
      Platform::textSmoothingFromResources("Xft.antialias: false\nXft.rgba: vrgb\n");
  EXPECT_TRUE(off.smoothingKnown);
  EXPECT_FALSE(off.smoothingOn);
  EXPECT_EQ(off.type, 1);
  EXPECT_EQ(Platform::textSmoothingFromResources("Xft.rgba: none").type, 1);
}

// A stand-in opener on PATH that records its arguments and lingers like a browser would.
class WebAddressOpener : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorl-opener-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    const std::string opener = folder + "/xdg-open";
    std::ofstream script(opener);
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << folder
           << "/args.tmp\"\nmv \"" << folder << "/args.tmp\" \"" << folder
           << "/args\"\nsleep 0.3\n";
    script.close();
    chmod(opener.c_str(), 0755);
    const char* path = getenv("PATH");
    savedPath = path ? path : "";
    setenv("PATH", (folder + ":" + savedPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    std::system(("rm -rf " + folder).c_str());
  }
  std::string waitForArguments() {
    for (int i = 0; i < 300; ++i) {
      std::ifstream in(folder + "/args");
      if (in) return std::string(std::istreambuf_iterator<char>(in), {});
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
  }
  // Children of this process that ended and were never reaped.
  static int zombieChildren() {
    int zombies = 0;
    std::FILE* list = popen(("ps -o stat= --ppid " + std::to_string(getpid())).c_str(), "r");
    char state[16];
    while (list && std::fscanf(list, "%15s", state) == 1)
      if (state[0] == 'Z') ++zombies;
    if (list) pclose(list);
    return zombies;
  }

  std::string folder, savedPath;
};

TEST_F(WebAddressOpener, OpensWithoutAShellWithoutWaitingAndLeavesNoZombie) {
  const std::string address = "https://example.org/a b?x=$(touch pwned)&y=`id`;z";
  const auto start = std::chrono::steady_clock::now();
  Platform::openWebAddress(address.c_str());
  // The opener lingers a while; the call does not wait for it.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_EQ(waitForArguments(), address + "\n");  // one argument, exactly as given
  EXPECT_NE(access("pwned", F_OK), 0);
  // Once it has ended, nothing of it stays behind in the process table.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_EQ(zombieChildren(), 0);
}

}  // namespace
