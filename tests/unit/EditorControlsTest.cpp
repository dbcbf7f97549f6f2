// The editor's frame, knobs and switch driven as a musician would, with the effect behind them
// and a recording window at the top: gestures the host sees, values, menus and drawing.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

#include "FakeHost.h"
#include "FakeNativeWindow.h"
#include "MessageBoxRecorder.h"
#include "RecordingDevice.h"
#include "SettingsFolder.h"
#include "effect/Quorl.h"
#include "effect/QuorlParameters.h"
#include "gui/Menu.h"
#include "gui/PlugEditVST.h"
#include "gui/PlugFrame.h"

namespace {

using namespace Mintwerk;

struct TestWindow;
TestWindow* window = nullptr;

// Records the menus as their items and the point they open at, in the target's coordinates.
struct TestWindow : FakeNativeWindow {
  void dispose() override {
    if (window == this) window = nullptr;
    delete this;
  }
  void invalidate() override { ++redraws; }
  bool confirm(const char*, const char*) override { return answer; }
  void grabPointer() override { captured = root()->capturedControl(); }
  void releasePointer() override { captured = nullptr; }
  int showMenu(const std::vector<MenuEntry>& entries, int x, int y, float) override {
    for (const MenuEntry& entry : entries)
      menuLog.push_back(entry.separator
                            ? "--"
                            : std::to_string(entry.id) + (entry.enabled ? " " : " (grey) ") +
                                  (entry.checked ? "(checked) " : "") + entry.text);
    const Control* target = root()->menuTargetControl();
    menuLog.push_back("popup " + std::to_string(x - (target ? target->absoluteX() : 0)) + "," +
                      std::to_string(y - (target ? target->absoluteY() : 0)));
    root()->menuEnded();
    return 0;
  }
  // The tree's top, as the window's events reach it.
  bool mouseDown(int32_t x, int32_t y, int button, int modifiers) {
    return root()->mouseDown(x, y, button, modifiers);
  }
  bool mouseDoubleClick(int32_t x, int32_t y, int button, int modifiers) {
    return root()->mouseDoubleClick(x, y, button, modifiers);
  }
  bool mouseWheel(int32_t x, int32_t y, float delta, int modifiers) {
    return root()->mouseWheel(x, y, delta, modifiers);
  }
  void setCapture(Control* control) { root()->setCapture(control); }
  int redraws = 0;
  bool answer = true;
  Control* captured = nullptr;
  std::vector<std::string> menuLog;
};

NativeWindow* makeWindow(uint32_t, uint32_t, void*) { return window = new TestWindow; }

class EditorControls : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsFolder::removeDefaultsFile("Quorl");
    // The effect made its own editor only where a window layer exists; this one uses the test's.
    delete effect.getEditor();
    effect.setEditor(nullptr);
    editor = new PlugEditVST(&effect, &effect, &description, makeWindow);
    int parent = 0;
    editor->open(&parent);
    frame = editor->getFrame();
    host.calls.clear();
  }
  void TearDown() override {
    editor->close();
    delete window;
    window = nullptr;
    SettingsFolder::removeDefaultsFile("Quorl");
  }
  // Sends a press, moves and a release in window coordinates, as the window would route them.
  void drag(int x, int y, int dy, int modifiers = 0) {
    window->mouseDown(x, y, 1, modifiers);
    Control* knob = window->captured;
    ASSERT_NE(knob, nullptr);
    for (int step = 1; step <= 10; ++step)
      knob->mouseMove(x - knob->absoluteX(), y + dy * step / 10 - knob->absoluteY(), modifiers);
    knob->mouseUp(x - knob->absoluteX(), y + dy - knob->absoluteY(), 1, modifiers);
    window->setCapture(nullptr);
  }
  std::vector<VstInt32> gestureOpcodes() {
    std::vector<VstInt32> opcodes;
    for (const HostCall& call : host.calls) opcodes.push_back(call.opcode);
    return opcodes;
  }

  FakeHost host;
  Quorl effect{host.callback()};
  EditorDescription description{340, 190, 8, 0xF3A429, "Texture"};
  PlugEditVST* editor = nullptr;
  PlugFrame* frame = nullptr;
};

TEST_F(EditorControls, LayoutPlacesSevenKnobsAndTheSwitch) {
  EXPECT_EQ(frame->getChildren().size(), 8u);
  // The corner of a knob's rectangle lies outside its circle and falls through to the frame.
  EXPECT_FALSE(window->mouseDown(10, 0, 1, 0));
  EXPECT_EQ(window->captured, nullptr);
}

TEST_F(EditorControls, DraggingTheCutoffDownHalvesItInOneGesture) {
  drag(50, 40, 200);  // cutoff knob centre
  EXPECT_NEAR(effect.getParameter(QuorlParams::kCutoff), 0.5f, 1e-6);
  const auto opcodes = gestureOpcodes();
  ASSERT_GE(opcodes.size(), 3u);
  EXPECT_EQ(opcodes.front(), audioMasterBeginEdit);
  EXPECT_EQ(opcodes.back(), audioMasterEndEdit);
  for (size_t i = 1; i + 1 < opcodes.size(); ++i) EXPECT_EQ(opcodes[i], audioMasterAutomate);

  // Overshooting upwards stops at 1, and coming back lowers it at once.
  drag(50, 40, -600);
  EXPECT_EQ(effect.getParameter(QuorlParams::kCutoff), 1.0f);
  drag(50, 40, 40, kShift);  // ten times finer
  EXPECT_NEAR(effect.getParameter(QuorlParams::kCutoff), 0.99f, 1e-6);
}

TEST_F(EditorControls, WheelDoubleClickAndRightPressDuringADrag) {
  // Set as a host would: the wheel steps from the live value, not yet polled.
  effect.setParameter(QuorlParams::kDrive, 0.97f);
  window->mouseWheel(210, 40, 1.0f, 0);
  EXPECT_EQ(effect.getParameter(QuorlParams::kDrive), 1.0f);
  effect.setParameter(QuorlParams::kDrive, 0.97f);
  window->mouseWheel(210, 40, 1.0f, kShift);
  EXPECT_NEAR(effect.getParameter(QuorlParams::kDrive), 0.975f, 1e-6);

  window->mouseDoubleClick(210, 40, 1, 0);
  EXPECT_EQ(effect.getParameter(QuorlParams::kDrive), 0.0f);  // its default

  host.calls.clear();
  window->mouseDown(210, 40, 1, 0);
  window->captured->mouseDown(40, 40, 2, 0);  // right press while dragging
  EXPECT_EQ(effect.getParameter(QuorlParams::kDrive), 0.5f);
  EXPECT_EQ(window->captured, nullptr);
  EXPECT_EQ(host.callsWith(audioMasterBeginEdit).size(), 1u);
  EXPECT_EQ(host.callsWith(audioMasterEndEdit).size(), 1u);
}

TEST_F(EditorControls, KnobMenuOffersResetLearnAndUnlearn) {
  window->mouseDown(50, 40, 2, 0);
  EXPECT_EQ(window->menuLog,
            (std::vector<std::string>{"0 &Reset to default (26000 Hz)", "--", "1 MIDI &Learn",
                                      "2 (grey) MIDI &Unlearn", "popup 40,68"}));
  window->menuLog.clear();
  Control* knob = frame->getChildren().front();
  knob->menuCommand(1);  // MIDI learn, then controller 74 arrives
  effect.handleController(static_cast<int16_t>(0xB04A), 64);
  window->mouseDown(50, 40, 2, 0);
  EXPECT_EQ(window->menuLog[3], "2 MIDI &Unlearn (chan:1, cc:74)");
}

TEST_F(EditorControls, SwitchTogglesAroundOneHalf) {
  effect.setParameter(QuorlParams::kQRange, 0.5f);
  window->mouseDown(290, 40, 1, 0);
  EXPECT_EQ(effect.getParameter(QuorlParams::kQRange), 1.0f);
  effect.setParameter(QuorlParams::kQRange, 0.6f);
  window->mouseDoubleClick(290, 40, 1, 0);  // a second press
  EXPECT_EQ(effect.getParameter(QuorlParams::kQRange), 0.0f);
}

TEST_F(EditorControls, PollPushesOnlyChangedValues) {
  frame->onTimer();
  const int after = window->redraws;
  frame->onTimer();
  EXPECT_EQ(window->redraws, after);  // nothing changed since
  effect.setParameter(QuorlParams::kMorph, 0.25f);
  frame->onTimer();
  EXPECT_EQ(editor->cachedValue(QuorlParams::kMorph), 0.25f);
  EXPECT_EQ(window->redraws, after + 1);
}

// The cutoff knob's sprite batch in a recorded frame, or null.
const RecordedBatch* cutoffKnob(const RecordingDevice& device) {
  for (const RecordedBatch& batch : device.batches)
    if (batch.combine == DXBlit::CombineCrossfade && batch.quads[0].x0 == 10.0f &&
        batch.quads[0].y0 == -4.0f)
      return &batch;
  return nullptr;
}

// The editor object is made with the effect, long before it first opens; a chunk may set a
// parameter to exactly 0 in between, and the host may move it just before a press.
TEST_F(EditorControls, FirstFrameShowsTheLiveValuesAndDragsStartFromThem) {
  editor->close();
  delete window;
  window = nullptr;
  delete effect.getEditor();
  effect.setEditor(nullptr);
  editor = new PlugEditVST(&effect, &effect, &description, makeWindow);  // caches cutoff 1

  Quorl other{host.callback()};
  other.setParameter(QuorlParams::kCutoff, 0.0f);
  void* data = nullptr;
  const VstInt32 size = other.getChunk(&data, true);
  std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  effect.setChunk(chunk.data(), size, true);
  ASSERT_EQ(effect.getParameter(QuorlParams::kCutoff), 0.0f);

  int parent = 0;
  editor->open(&parent);
  frame = editor->getFrame();
  RecordingDevice device;
  frame->draw(device);  // painted before the first tick
  const RecordedBatch* knob = cutoffKnob(device);
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob->quads[1].s0, 0.0f);  // frame 0, not 95
  EXPECT_EQ(knob->quads[1].t0, 0.0f);
  char text[40] = {};
  EXPECT_EQ(frame->getValue(QuorlParams::kCutoff, text), 0.0f);
  EXPECT_STREQ(text, "20.0 Hz");
  frame->onTimer();
  EXPECT_EQ(editor->cachedValue(QuorlParams::kCutoff), 0.0f);

  drag(50, 40, -40);  // a tenth of the range up from 0
  EXPECT_NEAR(effect.getParameter(QuorlParams::kCutoff), 0.1f, 1e-6);

  // Automation moves it and the user presses before the next tick.
  effect.setParameter(QuorlParams::kCutoff, 0.5f);
  drag(50, 40, -40);
  EXPECT_NEAR(effect.getParameter(QuorlParams::kCutoff), 0.6f, 1e-6);
  frame->releaseResources();
}

TEST_F(EditorControls, ALearnThatMovesNoValueStillRepaintsTheKnob) {
  const int32_t cc74 = static_cast<int16_t>(0xB04A);
  effect.setParameter(QuorlParams::kCutoff, 64 * 0.007874016f);  // what controller value 64 sets
  frame->onTimer();
  Control* knob = frame->getChildren().front();
  knob->menuCommand(1);  // MIDI learn: the knob now says "..learning.."
  frame->onTimer();
  const int learning = window->redraws;
  effect.handleController(cc74, 64);
  EXPECT_EQ(effect.getMapping(QuorlParams::kCutoff), cc74);
  EXPECT_FALSE(effect.isLearning(QuorlParams::kCutoff));
  frame->onTimer();
  EXPECT_GT(window->redraws, learning);
  const int learnt = window->redraws;
  frame->onTimer();
  EXPECT_EQ(window->redraws, learnt);  // one repaint per change

  // The audio thread tells the editor before it ends the learn; a tick in between repaints while
  // the knob still learns, so the end of the learn must bring another.
  knob->menuCommand(1);
  frame->onTimer();
  editor->mappingChanged(QuorlParams::kCutoff);
  frame->onTimer();
  const int between = window->redraws;
  effect.cancelLearn();  // the learn ends as the audio thread ends it
  frame->onTimer();
  EXPECT_GT(window->redraws, between);

  // Closed, the window is gone with the editor: a mapping change waits for the next frame, whose
  // first tick repaints for it.
  editor->close();
  EXPECT_EQ(window, nullptr);
  editor->mappingChanged(QuorlParams::kCutoff);
  int parent = 0;
  ASSERT_TRUE(editor->open(&parent));
  frame = editor->getFrame();
  const int opened = window->redraws;
  frame->onTimer();
  EXPECT_GT(window->redraws, opened);
}

TEST_F(EditorControls, CornerMenuAndItsConfirmations) {
  window->mouseDown(250, 160, 1, 0);  // (W - 90, H - 30) itself: no menu
  EXPECT_TRUE(window->menuLog.empty());
  window->mouseDown(251, 161, 2, 0);
  ASSERT_EQ(window->menuLog.size(), 20u);
  EXPECT_EQ(window->menuLog[0], "0 &Save defaults...");
  EXPECT_EQ(window->menuLog[5], "--");
  EXPECT_EQ(window->menuLog[6], "9 (grey) Size");
  EXPECT_EQ(window->menuLog[7], "10 100 %");
  EXPECT_EQ(window->menuLog[13], "16 (checked) Follow the host");
  EXPECT_EQ(window->menuLog[14], "--");
  EXPECT_EQ(window->menuLog[15], "29 (grey) Quality");
  EXPECT_EQ(window->menuLog[16], "30 (checked) Normal");
  EXPECT_EQ(window->menuLog[17], "31 High");
  EXPECT_EQ(window->menuLog[18], "32 High when rendering");
  EXPECT_EQ(window->menuLog[19], "popup 250,190");

  // The quality is chosen at once, without a question, and the menu then checks it.
  frame->menuCommand(32);
  EXPECT_EQ(effect.getQuality(), PlugCore::Quality::highWhenRendering);
  window->menuLog.clear();
  window->mouseDown(251, 161, 2, 0);
  ASSERT_EQ(window->menuLog.size(), 20u);
  EXPECT_EQ(window->menuLog[16], "30 Normal");
  EXPECT_EQ(window->menuLog[18], "32 (checked) High when rendering");
  frame->menuCommand(30);
  EXPECT_EQ(effect.getQuality(), PlugCore::Quality::normal);

  effect.setParameter(QuorlParams::kBand, 0.4f);
  window->answer = false;
  frame->menuCommand(0);  // cancelled: nothing saved
  EXPECT_EQ(effect.parameters()[QuorlParams::kBand].defaultValue, 0.0f);
  window->answer = true;
  frame->menuCommand(0);
  EXPECT_EQ(effect.parameters()[QuorlParams::kBand].defaultValue, 0.4f);
}

// The user loads defaults from the menu: the host hears each value that changed once, the final
// one, inside a gesture, and nothing of the programs the bank passes through.
TEST_F(EditorControls, LoadingDefaultsFromTheMenuTellsTheHostTheFinalValuesOnce) {
  {
    Quorl saved(nullptr);
    for (int32_t p = 0; p < 16; ++p) {
      saved.setProgram(p);
      saved.setParameter(QuorlParams::kMorph, 0.05f * static_cast<float>(p));
    }
    saved.setParameter(QuorlParams::kBand, 0.25f);
    ASSERT_TRUE(saved.saveDefaults());
  }
  frame->menuCommand(1);
  std::vector<std::string> heard;
  for (const HostCall& call : host.calls)
    heard.push_back(std::to_string(call.opcode) + " " + std::to_string(call.index));
  const std::string morph = std::to_string(QuorlParams::kMorph);
  const std::string band = std::to_string(QuorlParams::kBand);
  EXPECT_EQ(heard, (std::vector<std::string>{"43 " + morph, "0 " + morph, "44 " + morph,
                                             "43 " + band, "0 " + band, "44 " + band}));
  const std::vector<HostCall> automation = host.callsWith(audioMasterAutomate);
  ASSERT_EQ(automation.size(), 2u);
  EXPECT_EQ(automation[0].opt, effect.getParameter(QuorlParams::kMorph));
  EXPECT_NEAR(automation[0].opt, 0.75f, 1.0 / 64000);
  EXPECT_NEAR(automation[1].opt, 0.25f, 1.0 / 64000);

  host.calls.clear();
  frame->menuCommand(2);  // no factory bank in this module: no value changes
  EXPECT_TRUE(host.calls.empty());
  SettingsFolder::removeDefaultsFile("Quorl");
}

#if !defined(_WIN32)
// "Save defaults..." that cannot write the file tells the user which file and why.
TEST_F(EditorControls, AFailedSaveOfDefaultsIsReported) {
  MessageBoxRecorder boxes;
  frame->menuCommand(0);
  EXPECT_TRUE(boxes.shown.empty());
  const std::string path = SettingsFolder::defaultsFile("Quorl");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  effect.setParameter(QuorlParams::kBand, 0.4f);
  frame->menuCommand(0);
  chmod(path.c_str(), 0644);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Quorl error");
  EXPECT_EQ(boxes.shown[0].text,
            "The defaults were not saved.\n" + path + ": The file is read-only");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
  EXPECT_EQ(effect.parameters()[QuorlParams::kBand].defaultValue, 0.0f);
}
#endif

// The host closes the effect while a knob is held: the editor goes first, while the effect is
// still whole, so the knob's gesture is ended with the host.
TEST(EditorWithClosingEffect, ClosingTheEffectMidDragEndsTheGestureWithTheHost) {
  FakeHost host;
  auto* effect = new Quorl(host.callback());
  delete effect->getEditor();
  effect->setEditor(nullptr);
  EditorDescription description{340, 190, 8, 0xF3A429, "Texture"};
  auto* editor = new PlugEditVST(effect, effect, &description, makeWindow);
  int parent = 0;
  ASSERT_TRUE(editor->open(&parent));
  window->mouseDown(50, 40, 1, 0);  // the cutoff knob
  ASSERT_EQ(host.callsWith(audioMasterBeginEdit).size(), 1u);
  AEffect* record = effect->getAeffect();
  EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0), 1);
  EXPECT_EQ(window, nullptr);  // ended with the editor
  const std::vector<HostCall> ends = host.callsWith(audioMasterEndEdit);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].index, QuorlParams::kCutoff);
}

TEST_F(EditorControls, KnobsDrawCrossFadedFramesAndTheirTexts) {
  RecordingDevice device;
  effect.setParameter(QuorlParams::kResonance, 0.5f);  // p = 47.5
  frame->onTimer();
  frame->draw(device);
  // Background, then per knob the sprite batch and two texts.
  ASSERT_GE(device.batches.size(), 2u);
  const RecordedBatch* resonance = nullptr;
  for (const RecordedBatch& batch : device.batches)
    if (batch.combine == DXBlit::CombineCrossfade && batch.quads[0].x0 == 90.0f &&
        batch.quads[0].y0 == -4.0f)  // the top row's rings start above the window
      resonance = &batch;
  ASSERT_NE(resonance, nullptr);
  const DXBlit::Quad& indicator = resonance->quads[1];
  EXPECT_EQ(indicator.s0, (47 % 8) * 40.0f);
  EXPECT_EQ(indicator.t0, (47 / 8) * 40.0f);
  EXPECT_EQ(indicator.u0, (48 % 8) * 40.0f);
  EXPECT_EQ(indicator.colour >> 24, 127u);
  frame->releaseResources();
  EXPECT_EQ(device.liveTextures, 0);
}

}  // namespace
