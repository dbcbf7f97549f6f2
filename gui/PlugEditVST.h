// The editor object the effect hands to the host. It lives as long as the effect; the window and
// its controls exist only while the editor is open. It keeps the values the controls show, which
// the frame's poll refreshes.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "gui/EditorDescription.h"
#include "gui/IEditBuilder.h"
#include "gui/IFrameController.h"
#include "gui/native/NativeWindow.h"
#include "plugcore/AEffEditor.h"
#include "plugcore/IParamNotify.h"
#include "plugcore/Relaxed.h"

namespace Mintwerk {

class EditorRoot;
class PlugFrame;

class PlugEditVST : public AEffEditor, public IFrameController, public PlugCore::IParamNotify {
 public:
  // Registers itself as the effect's editor.
  PlugEditVST(AudioEffect* effect, IEditBuilder* builder, const EditorDescription* description,
              NativeWindowFactory windowFactory);
  ~PlugEditVST() override;

  // The open editor's size; while closed, the size the next open will have.
  bool getRect(ERect** rect) override;
  // False when no window could be made; nothing is left open then.
  bool open(void* parentWindow) override;
  // Ends the window with the editor: nothing of it runs on after a close.
  void close() override;
  bool isOpen() override { return frame != nullptr; }
  // Where the host's idle calls drive the window, its events, poll and painting run here.
  void idle() override;
  // The host's wheel notification: a turn for the window of ours under the pointer, open or not
  // in this editor, as the system would send it to whichever window is there.
  bool onWheel(float notches) override;

  // The host's factor: taken from now on (an open editor resizes to it) unless the user chose a
  // size. True for any factor it can use.
  bool setScaleFactor(float factor) override;

  void letHostSizeWindow() override { hostSizes = true; }
  void letHostEmbedWindow() override { hostEmbeds = true; }
  int eventDescriptor() override;
  // The window takes the host's size; the scale asked for comes with it when the size is the
  // one asked for.
  bool hostResized(VstInt32 width, VstInt32 height) override;

  bool canClose() override { return true; }
  bool windowDestroyed() override;
  void desktopScaleChanged() override;

  // The user's size, in percent of the 1:1 layout, or 0 to follow the host; remembered for the
  // user in the settings file, and taken by an open editor at once.
  void chooseSize(int percent);
  int sizeChoice() const { return userPercent.load(std::memory_order_relaxed); }
  // Pixels per unit of the editor's 1:1 layout, now.
  float currentScale() const { return scale.load(std::memory_order_relaxed); }

  // The window's timer only tries the lock and never waits for an open or close in progress; a
  // refused change is offered again on the next poll.
  bool paramChanged(int32_t index, float value) override;
  // Comes from the audio thread: it leaves a notice for the poll, which repaints on the window's
  // thread, and takes no lock at all.
  void mappingChanged(int32_t index) override;

  const EditorDescription& getDescription() const { return *description; }
  float cachedValue(int32_t index) const;
  // Puts a value into the cache without asking for a repaint: for a frame being built inside
  // open, which holds the lock already and whose window paints it whole anyway.
  void refreshValue(int32_t index, float value);
  // Called by the poll: repaints an open editor when a mapping changed since the last repaint
  // for one, or when the learn state moved. Only tries the lock, as paramChanged; false when it
  // was busy, and the poll asks again.
  bool showMappingChanges(bool learnStateMoved);
  PlugFrame* getFrame() const { return frame; }

 private:
  void takeLock();
  bool tryLock();
  void freeLock();
  // Lets go of the open editor's window after it has dropped its drawing resources; null when
  // the editor was not open.
  NativeWindow* detachWindow();
  std::string settingsPath(bool createFolders) const;
  // The scale the sources give now; the rectangle follows. Under the lock.
  float takeScale();
  // Brings an open editor to the scale the sources give now, asking the host for the new size.
  void rescale();

  const EditorDescription* description;
  IEditBuilder* builder;
  NativeWindowFactory windowFactory;
  PlugFrame* frame = nullptr;
  NativeWindow* window = nullptr;  // the open editor's, which owns the frame
  std::atomic<int32_t> openLock{0};
  std::atomic<bool> mappingNotice{false};
  EditorRoot* root = nullptr;  // the open editor's, which the window owns
  std::atomic<float> scale{1.0f};
  std::atomic<float> hostFactor{0.0f};
  std::atomic<int> userPercent{0};
  std::atomic<bool> hostSizes{false};
  std::atomic<bool> hostEmbeds{false};
  float desktopFactor = 0.0f;
  bool desktopAsked = false;  // before the first open: the desktop as a whole, asked once
  ERect rect;
  std::unique_ptr<PlugCore::Relaxed<float>[]> values;
};

}  // namespace Mintwerk
