// The editor at other sizes than 1:1: where its scale comes from and in which order, what the
// host is told and asked, what the window is made and resized to, how a drag feels at every
// scale, and the user's settings file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "FakeHost.h"
#include "FakeNativeWindow.h"
#include "SettingsFolder.h"
#include "effect/Quorl.h"
#include "effect/QuorlParameters.h"
#include "gui/EditorScale.h"
#include "gui/EditorSettings.h"
#include "gui/PlugEditVST.h"
#include "gui/PlugFrame.h"
#include "platform/UserFiles.h"
#include "platform/linux/LinuxDesktopScale.h"

namespace {

using namespace Mintwerk;

constexpr VstInt32 kScaleIndex = 0x50726553;          // 'PreS'
constexpr VstIntPtr kScaleValue = 0x41654373;         // 'AeCs'
constexpr int kFollowTheHost = 16, k200Percent = 13;  // the defaults menu's size items

struct SizedWindow;
SizedWindow* window = nullptr;
uint32_t madeWidth = 0, madeHeight = 0;

struct SizedWindow : FakeNativeWindow {
  void dispose() override {
    if (window == this) window = nullptr;
    delete this;
  }
};

NativeWindow* makeSizedWindow(uint32_t width, uint32_t height, void*) {
  madeWidth = width;
  madeHeight = height;
  window = new SizedWindow;
  window->width = width;
  window->height = height;
  return window;
}

std::string settingsFile() {
  std::string path = SettingsFolder::defaultsFile("Quorl");
  return path.replace(path.size() - 9, 9, ".settings");
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// An effect whose editor makes test windows; no desktop says anything unless a test sets it.
class ScaledEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"DISPLAY", "GDK_SCALE", "GDK_DPI_SCALE"}) unsetenv(name);
    std::remove(settingsFile().c_str());
    editor = remakeEditor(effect);
  }
  void TearDown() override {
    editor->close();
    delete window;
    window = nullptr;
    std::remove(settingsFile().c_str());
    unsetenv("GDK_SCALE");
  }
  static PlugEditVST* remakeEditor(Quorl& quorl) {
    delete quorl.getEditor();
    quorl.setEditor(nullptr);
    static const EditorDescription description{340, 190, 8, 0xF3A429, "Texture"};
    return new PlugEditVST(&quorl, &quorl, &description, makeSizedWindow);
  }
  VstIntPtr notify(float factor) {
    return effect.dispatcher(effVendorSpecific, kScaleIndex, kScaleValue, nullptr, factor);
  }
  static std::pair<int, int> rectOf(PlugEditVST& anEditor) {
    ERect* rect = nullptr;
    anEditor.getRect(&rect);
    return {rect->right - rect->left, rect->bottom - rect->top};
  }
  std::pair<int, int> rect() { return rectOf(*editor); }
  std::vector<HostCall> sizeRequests() { return host.callsWith(audioMasterSizeWindow); }

  FakeHost host;
  Quorl effect{host.callback()};
  PlugEditVST* editor = nullptr;
  int parent = 0;
};

TEST(EditorScaleSources, TheUserThenTheHostThenTheDesktopThenOne) {
  EXPECT_EQ(chooseScale({}), 1.0f);
  EXPECT_EQ(chooseScale({0, 0.0f, 1.5f}), 1.5f);
  EXPECT_EQ(chooseScale({0, 2.0f, 1.5f}), 2.0f);
  EXPECT_EQ(chooseScale({125, 2.0f, 1.5f}), 1.25f);
  EXPECT_EQ(chooseScale({130, 2.0f, 1.5f}), 2.0f);  // not a size on offer: the host's
  // What a source gives is kept within 1..3; what is not a factor at all says nothing.
  EXPECT_EQ(chooseScale({0, 0.5f, 0.0f}), 1.0f);
  EXPECT_EQ(chooseScale({0, 7.0f, 0.0f}), 3.0f);
  EXPECT_EQ(chooseScale({0, NAN, 2.0f}), 2.0f);
  EXPECT_EQ(chooseScale({0, -INFINITY, INFINITY}), 1.0f);
  EXPECT_EQ(scaledLength(190, 1.25f), 238);  // 237.5 rounds up
  EXPECT_EQ(artworkDensity(1.25f), 1.5f);
  EXPECT_EQ(artworkDensity(2.5f), 3.0f);

  // The X desktop: "Xft.dpi" over 96, GDK_SCALE in its place, GDK_DPI_SCALE on top.
  const char* resources = "Xft.antialias:\t1\nXft.dpi:\t144\nXft.rgba:\trgb\n";
  EXPECT_EQ(Platform::desktopScaleFromX11(resources, nullptr, nullptr), 1.5f);
  EXPECT_EQ(Platform::desktopScaleFromX11(resources, "2", nullptr), 2.0f);
  EXPECT_EQ(Platform::desktopScaleFromX11(resources, "2", "1.25"), 2.5f);
  EXPECT_EQ(Platform::desktopScaleFromX11(nullptr, nullptr, "1.5"), 1.5f);
  EXPECT_EQ(Platform::desktopScaleFromX11("Xft.dpi: lots\n", "1.5", "-2"), 0.0f);
  EXPECT_EQ(Platform::desktopScaleFromX11(nullptr, nullptr, nullptr), 0.0f);
}

TEST_F(ScaledEditor, TheHostsFactorSizesTheNextOpenAndAnOpenEditorAsksTheHost) {
  EXPECT_EQ(rect(), std::make_pair(340, 190));
  EXPECT_EQ(notify(2.0f), 1);
  EXPECT_EQ(rect(), std::make_pair(680, 380));  // before the first open: what it will open at
  ASSERT_TRUE(editor->open(&parent));
  EXPECT_EQ(madeWidth, 680u);
  EXPECT_EQ(madeHeight, 380u);
  EXPECT_TRUE(sizeRequests().empty());  // the host knew the size already
  EXPECT_EQ(window->root()->getScale(), 2.0f);

  // The factor changes while open: the host is asked, the window follows, the rectangle too.
  // This host refuses (answers 0); its next open still finds the right size.
  EXPECT_EQ(notify(1.5f), 1);
  ASSERT_EQ(sizeRequests().size(), 1u);
  EXPECT_EQ(sizeRequests()[0].index, 510);
  EXPECT_EQ(sizeRequests()[0].value, 285);
  EXPECT_EQ(window->width, 510u);
  EXPECT_EQ(window->height, 285u);
  EXPECT_EQ(window->root()->getScale(), 1.5f);
  EXPECT_EQ(rect(), std::make_pair(510, 285));
  editor->close();
  ASSERT_TRUE(editor->open(&parent));
  EXPECT_EQ(madeWidth, 510u);

  // Not a factor: refused, nothing moves. The same factor again: nothing to ask.
  EXPECT_EQ(notify(NAN), 0);
  EXPECT_EQ(notify(1.5f), 1);
  EXPECT_EQ(sizeRequests().size(), 1u);
  EXPECT_EQ(rect(), std::make_pair(510, 285));
}

// A host that sizes the window itself: the editor asks, and changes only when told the size.
TEST_F(ScaledEditor, WhereTheHostSizesTheWindowTheEditorWaitsForItsWord) {
  editor->letHostSizeWindow();
  ASSERT_TRUE(editor->open(&parent));
  notify(2.0f);
  ASSERT_EQ(sizeRequests().size(), 1u);
  EXPECT_EQ(window->width, 340u);  // refused or not yet done: still whole at the old size
  EXPECT_EQ(window->root()->getScale(), 1.0f);
  notify(2.0f);  // asked again, since the window still shows the old scale
  EXPECT_EQ(sizeRequests().size(), 2u);

  EXPECT_TRUE(editor->hostResized(680, 380));
  EXPECT_EQ(window->width, 680u);
  EXPECT_EQ(window->root()->getScale(), 2.0f);
  // Another size than asked for: the window takes it and keeps its scale.
  EXPECT_TRUE(editor->hostResized(700, 380));
  EXPECT_EQ(window->width, 700u);
  EXPECT_EQ(window->root()->getScale(), 2.0f);
  for (auto garbage : {std::make_pair(0, 190), std::make_pair(340, -1), std::make_pair(1 << 20, 9)})
    EXPECT_FALSE(editor->hostResized(garbage.first, garbage.second));
  EXPECT_EQ(window->width, 700u);
  editor->close();
  EXPECT_FALSE(editor->hostResized(340, 190));
}

TEST_F(ScaledEditor, TheUsersSizeWinsIsRememberedAndFollowingTheHostGivesItBack) {
  notify(1.5f);
  ASSERT_TRUE(editor->open(&parent));
  editor->getFrame()->menuCommand(k200Percent);
  EXPECT_EQ(fileText(settingsFile()), "size=200\n");
  EXPECT_EQ(rect(), std::make_pair(680, 380));
  EXPECT_EQ(window->width, 680u);
  notify(3.0f);  // the host's factor no longer decides
  EXPECT_EQ(rect(), std::make_pair(680, 380));

  // Another instance, whose host says nothing, opens at the user's size.
  Quorl other{host.callback()};
  PlugEditVST* otherEditor = remakeEditor(other);
  EXPECT_EQ(rectOf(*otherEditor), std::make_pair(680, 380));

  editor->getFrame()->menuCommand(kFollowTheHost);
  EXPECT_EQ(fileText(settingsFile()), "size=host\n");
  EXPECT_EQ(rect(), std::make_pair(1020, 570));  // the host's 3.0 again
  EXPECT_EQ(rectOf(*otherEditor), std::make_pair(340, 190));

  // With neither, the desktop decides: GDK_SCALE here.
  setenv("GDK_SCALE", "2", 1);
  Quorl third{host.callback()};
  EXPECT_EQ(rectOf(*remakeEditor(third)), std::make_pair(680, 380));
}

// 400 units of travel are the whole range at every scale: a drag of 200 units (400 pixels at
// 2x) moves a knob by half. Presses land where the knob is drawn.
TEST_F(ScaledEditor, ADragOfTwoHundredUnitsMovesAKnobByHalfAtEveryScale) {
  for (float scale : {1.0f, 1.5f, 2.0f, 3.0f}) {
    SCOPED_TRACE(scale);
    notify(scale);
    effect.setParameter(QuorlParams::kCutoff, 0.0f);
    ASSERT_TRUE(editor->open(&parent));
    EditorRoot& root = *window->root();
    auto send = [&](PointerEvent::Kind kind, double x, double y) {
      PointerEvent event;
      event.kind = kind;
      event.button = 1;
      event.x = static_cast<int32_t>(std::lround(x * scale));
      event.y = static_cast<int32_t>(std::lround(y * scale));
      root.pointer(event);
    };
    send(PointerEvent::kDown, 50, 40);  // the cutoff knob's centre, in units
    ASSERT_NE(root.capturedControl(), nullptr);
    for (int step = 1; step <= 10; ++step) send(PointerEvent::kMove, 50, 40 - 20.0 * step);
    send(PointerEvent::kUp, 50, -160);
    EXPECT_NEAR(effect.getParameter(QuorlParams::kCutoff), 0.5f, 1e-6);
    editor->close();
  }
}

TEST_F(ScaledEditor, TheSettingsFileSurvivesGarbageAMissingFolderAndTwoSavesAtOnce) {
  for (const std::string& garbage : {std::string("size=999\n"), std::string("\xFF\0size", 6),
                                     std::string(5000, 's'), std::string("size=20O\n")}) {
    std::ofstream(settingsFile(), std::ios::binary) << garbage;
    EXPECT_EQ(readSizeChoice(settingsFile()), 0);
    EXPECT_EQ(rect(), std::make_pair(340, 190));
  }
  EXPECT_EQ(parseSizeChoice(reinterpret_cast<const uint8_t*>("x=1\r\nsize=250\r\n"), 15), 250);

  // A user whose settings folder does not exist yet: the first save makes it.
  const std::string home = getenv("XDG_CONFIG_HOME");
  const std::string fresh = home + "/not-yet/there";
  setenv("XDG_CONFIG_HOME", fresh.c_str(), 1);
  ASSERT_TRUE(editor->open(&parent));
  editor->getFrame()->menuCommand(k200Percent);
  EXPECT_EQ(fileText(fresh + "/Harrowmint/Quorl.settings"), "size=200\n");
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);

  // Two editors saving at once while a third reads: the file is always one of the two whole.
  const std::string path = settingsFile();
  std::remove(path.c_str());
  std::atomic<bool> done{false};
  std::atomic<int> torn{0}, seen{0};
  std::thread reader([&] {
    while (!done) {
      const std::string text = fileText(path);
      if (!text.empty()) ++seen;
      if (!text.empty() && text != "size=150\n" && text != "size=300\n") ++torn;
    }
  });
  std::thread first([&] {
    for (int i = 0; i < 300; ++i) writeSizeChoice(path, 150);
  });
  for (int i = 0; i < 300; ++i) writeSizeChoice(path, 300);
  first.join();
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(seen, 0);
  const int last = readSizeChoice(path);
  EXPECT_TRUE(last == 150 || last == 300);
}

}  // namespace
