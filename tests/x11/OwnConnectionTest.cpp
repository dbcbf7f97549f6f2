// X errors on our own display connections, whatever a host does with Xlib's one process-wide
// error handler meanwhile: hosts wrap our calls in a temporary handler of theirs and put back the
// one they saved, which may be Xlib's default (it ends the process) or a handler saved before we
// were loaded. Our errors must reach none of them, the host's own errors must still reach the
// host, and nothing of ours may be left for the host to call once our connections are closed.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
// Xlib's macros would clash with names in GoogleTest.
#undef None
#undef Bool
#include <gtest/gtest.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "X11TestSupport.h"
#include "gui/native/x11/X11Connection.h"

namespace {

// An id no client has made (the server hands out ids far below the top of the range).
constexpr Window kNoWindow = 0x3FFFFFE;

// The host's own handler: every call it gets, with the connection it came from.
std::mutex seenLock;
std::vector<Display*> seenDisplays;
int hostsHandler(Display* display, XErrorEvent*) {
  std::lock_guard<std::mutex> guard(seenLock);
  seenDisplays.push_back(display);
  return 0;
}
int hostsTemporaryHandler(Display* display, XErrorEvent* error) {
  return hostsHandler(display, error);
}
int callsFrom(Display* display) {
  std::lock_guard<std::mutex> guard(seenLock);
  int count = 0;
  for (Display* seen : seenDisplays) count += seen == display;
  return count;
}

class OwnConnectionErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x11test::haveDisplay()) GTEST_SKIP() << "no DISPLAY";
    ASSERT_NE(host.display, nullptr);
    {
      std::lock_guard<std::mutex> guard(seenLock);
      seenDisplays.clear();
    }
    before = XSetErrorHandler(hostsHandler);
  }
  void TearDown() override { XSetErrorHandler(before); }

  // What a host does around effEditOpen or effEditIdle: its own handler for the call, then the
  // one it had saved before the plug-in was loaded.
  static void hostWrapsACall() {
    XSetErrorHandler(hostsTemporaryHandler);
    XSetErrorHandler(hostsHandler);
  }

  x11test::Connection host;
  XErrorHandler before = nullptr;
};

TEST_F(OwnConnectionErrors, AHostThatSwapsAndRestoresItsHandlerNeverSeesOurErrors) {
  Display* ours = Mintwerk::openOwnDisplay("test editor");
  ASSERT_NE(ours, nullptr);
  hostWrapsACall();
  // A window destroyed under us while we paint, an indirect GLX request refused: any error.
  XMapWindow(ours, kNoWindow);
  EXPECT_EQ(Mintwerk::syncAndTakeError(ours), BadWindow);
  EXPECT_EQ(Mintwerk::syncAndTakeError(ours), 0) << "an error is reported once";
  EXPECT_EQ(callsFrom(ours), 0);
  // The host's own connection keeps its handler.
  XMapWindow(host.display, kNoWindow);
  XSync(host.display, False);
  EXPECT_EQ(callsFrom(host.display), 1);
  // Also while our connection closes: what is still in flight stays ours.
  XMapWindow(ours, kNoWindow);
  Mintwerk::closeOwnDisplay(ours);
  EXPECT_EQ(callsFrom(ours), 0);
  EXPECT_EQ(Mintwerk::ownDisplayCount(), 0);
}

TEST_F(OwnConnectionErrors, ErrorsOfAReplyRequestStayOursToo) {
  Display* ours = Mintwerk::openOwnDisplay("test editor");
  ASSERT_NE(ours, nullptr);
  hostWrapsACall();
  XWindowAttributes attributes;
  EXPECT_EQ(XGetWindowAttributes(ours, kNoWindow, &attributes), 0);
  EXPECT_EQ(Mintwerk::syncAndTakeError(ours), BadWindow);
  EXPECT_EQ(callsFrom(ours), 0);
  Mintwerk::closeOwnDisplay(ours);
}

// The worst case: the handler the host had saved is Xlib's default, which prints "X Error of
// failed request" and ends the process. Run in a process of its own, so that it can end.
TEST_F(OwnConnectionErrors, OurErrorsDoNotEndAHostThatPutBackXlibsDefault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Display* ours = Mintwerk::openOwnDisplay("test editor");
        if (!ours) _exit(3);
        XSetErrorHandler(hostsTemporaryHandler);
        XSetErrorHandler(nullptr);  // Xlib's default
        XMapWindow(ours, kNoWindow);
        const int error = Mintwerk::syncAndTakeError(ours);
        Mintwerk::closeOwnDisplay(ours);
        _exit(error == BadWindow ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

// A handler the host installs while our connection is open gets the host's own as the one to
// put back (or chain to), never one of ours: after we have closed (and perhaps been unloaded)
// the host restores what it got and its errors go straight to its own handler.
TEST_F(OwnConnectionErrors, WhatAHostRestoresAfterwardsIsItsOwnHandler) {
  Display* ours = Mintwerk::openOwnDisplay("test editor");
  ASSERT_NE(ours, nullptr);
  const XErrorHandler saved = XSetErrorHandler(hostsTemporaryHandler);
  Mintwerk::closeOwnDisplay(ours);
  XSetErrorHandler(saved);
  EXPECT_EQ(saved, hostsHandler);
  XMapWindow(host.display, kNoWindow);
  XSync(host.display, False);
  EXPECT_EQ(callsFrom(host.display), 1);
  EXPECT_EQ(XSetErrorHandler(hostsHandler), hostsHandler);
}

// Two of our connections at once, opened and closed in either order, each with its own errors.
TEST_F(OwnConnectionErrors, EachConnectionReportsOnlyItsOwnErrors) {
  Display* editor = Mintwerk::openOwnDisplay("test editor");
  Display* box = Mintwerk::openOwnDisplay("test box");
  ASSERT_NE(editor, nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Mintwerk::ownDisplayCount(), 2);
  hostWrapsACall();
  XMapWindow(box, kNoWindow);
  EXPECT_EQ(Mintwerk::syncAndTakeError(editor), 0);
  EXPECT_EQ(Mintwerk::syncAndTakeError(box), BadWindow);
  Mintwerk::closeOwnDisplay(editor);
  XFreePixmap(box, kNoWindow);
  EXPECT_EQ(Mintwerk::syncAndTakeError(box), BadPixmap);
  Mintwerk::closeOwnDisplay(box);
  EXPECT_EQ(callsFrom(editor) + callsFrom(box), 0);
  EXPECT_EQ(Mintwerk::ownDisplayCount(), 0);
}

}  // namespace
