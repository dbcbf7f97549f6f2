// The editor object between host, window and plug-in: opening and closing, the cached values,
// and the lock that the notifications only ever try.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "FakeNativeWindow.h"
#include "gui/PlugEditVST.h"
#include "gui/PlugFrame.h"
#include "plugcore/NullPlug.h"

namespace {

using namespace Mintwerk;

int windowsMade = 0, timersStarted = 0, redraws = 0, releases = 0, disposals = 0;

struct FakeWindow : FakeNativeWindow {
  FakeWindow() { ++windowsMade; }
  void setTicking(bool on) override { timersStarted += on ? 1 : 0; }
  void dispose() override;
  void invalidate() override { ++redraws; }
  void releaseResources() override { ++releases; }
};

FakeWindow* lastWindow = nullptr;
NativeWindow* makeFakeWindow(uint32_t, uint32_t, void*) { return lastWindow = new FakeWindow; }
NativeWindow* failToMakeWindow(uint32_t, uint32_t, void*) { return nullptr; }

void FakeWindow::dispose() {
  ++disposals;
  if (lastWindow == this) lastWindow = nullptr;
  delete this;
}

struct Builder : IEditBuilder {
  void build(PlugFrame& frame) override {
    ++builds;
    new Control(&frame, 0, 0, 10, 10);
  }
  int builds = 0;
};

class EditorBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    windowsMade = timersStarted = redraws = releases = disposals = 0;
    effect.setParameter(0, 0.25f);
    editor = new PlugEditVST(&effect, &builder, &description, makeFakeWindow);
  }
  void TearDown() override {
    delete lastWindow;
    lastWindow = nullptr;
  }
  PlugCore::NullPlug effect{nullptr};
  Builder builder;
  EditorDescription description{340, 190, 1, 0xF3A429, "Texture"};
  PlugEditVST* editor = nullptr;  // owned by the effect
};

TEST_F(EditorBridge, RegistersWithTheEffectAndKnowsItsRectangle) {
  EXPECT_EQ(effect.getEditor(), editor);
  EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  EXPECT_TRUE(editor->getRect(&rect));
  EXPECT_EQ(rect->right, 340);
  EXPECT_EQ(rect->bottom, 190);
  EXPECT_EQ(editor->cachedValue(0), 0.25f);  // the cache starts from the effect's values
}

TEST_F(EditorBridge, OpenBuildsOnceAndCloseReleasesAndEndsTheWindow) {
  int parent = 0;
  EXPECT_TRUE(editor->open(&parent));
  EXPECT_TRUE(editor->isOpen());
  EXPECT_TRUE(editor->open(&parent));  // already open: nothing new
  EXPECT_EQ(windowsMade, 1);
  EXPECT_EQ(builder.builds, 1);
  EXPECT_EQ(timersStarted, 1);
  ASSERT_NE(editor->getFrame(), nullptr);
  EXPECT_EQ(editor->getFrame()->getChildren().size(), 1u);

  editor->close();
  EXPECT_FALSE(editor->isOpen());
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(disposals, 1);  // the window ends with the editor
  editor->close();          // closing a closed editor does nothing
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(disposals, 1);

  // Closed: values reach the cache, nothing is redrawn.
  redraws = 0;
  EXPECT_TRUE(editor->paramChanged(0, 0.75f));
  EXPECT_EQ(editor->cachedValue(0), 0.75f);
  EXPECT_EQ(redraws, 0);
}

TEST_F(EditorBridge, ChangesRedrawAnOpenEditorAndAWindowGoingAwayClosesIt) {
  int parent = 0;
  editor->open(&parent);
  EXPECT_TRUE(editor->paramChanged(0, 0.5f));
  EXPECT_EQ(redraws, 1);
  EXPECT_TRUE(editor->paramChanged(7, 0.5f));  // beyond the cache: ignored, not refused
  editor->windowDestroyed();
  EXPECT_FALSE(editor->isOpen());
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(disposals, 0);  // the window is going already
}

TEST_F(EditorBridge, OpenWithoutAWindowAnswersFalseAndLeavesNothingOpen) {
  delete editor;
  effect.setEditor(nullptr);
  editor = new PlugEditVST(&effect, &builder, &description, failToMakeWindow);
  int parent = 0;
  AEffect* record = effect.getAeffect();
  EXPECT_EQ(record->dispatcher(record, effEditOpen, 0, 0, &parent, 0), 0);
  EXPECT_FALSE(editor->isOpen());
  EXPECT_EQ(builder.builds, 0);
  editor->close();
  EXPECT_EQ(releases + disposals, 0);
}

// Open and close in a loop on one thread while the window's poll and the audio thread notify:
// the notifications must never wait, and nothing may race (run under ThreadSanitizer too).
TEST_F(EditorBridge, NotificationsNeverWaitForOpenOrClose) {
  std::atomic<bool> stop{false};
  std::atomic<long> accepted{0}, refused{0}, mappings{0};
  std::atomic<long> slowest{0};
  auto notifier = [&](bool audio) {
    while (!stop.load()) {
      const auto start = std::chrono::steady_clock::now();
      if (audio) {
        editor->mappingChanged(0);
        ++mappings;
      } else if (editor->paramChanged(0, 0.5f)) {
        ++accepted;
      } else {
        ++refused;
      }
      const long micros = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                std::chrono::steady_clock::now() - start)
                                                .count());
      long seen = slowest.load();
      while (micros > seen && !slowest.compare_exchange_weak(seen, micros)) {
      }
    }
  };
  std::thread poll(notifier, false), audio(notifier, true);
  int cycles = 0;
  int parent = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < end) {
    editor->open(&parent);
    editor->close();
    ++cycles;
  }
  stop = true;
  poll.join();
  audio.join();
  std::printf(
      "stress: %d open/close cycles, %ld values taken, %ld refused, %ld mapping "
      "notices, slowest notification %ld us\n",
      cycles, accepted.load(), refused.load(), mappings.load(), slowest.load());
  EXPECT_GT(cycles, 100);
  EXPECT_GT(accepted.load(), 0);
  EXPECT_GT(mappings.load(), 0);
}

}  // namespace
