#include "gui/PlugEditVST.h"

#include "gui/EditorRoot.h"
#include "gui/EditorScale.h"
#include "gui/EditorSettings.h"
#include "gui/PlugFrame.h"
#include "gui/native/WheelForwarding.h"
#include "platform/DesktopScale.h"
#include "platform/Threads.h"
#include "plugcore/AudioEffectX.h"
#include "plugcore/Plug.h"

namespace Mintwerk {

PlugEditVST::PlugEditVST(AudioEffect* owner, IEditBuilder* editBuilder,
                         const EditorDescription* editorDescription, NativeWindowFactory factory)
    : AEffEditor(owner),
      description(editorDescription),
      builder(editBuilder),
      windowFactory(factory) {
  rect.top = 0;
  rect.left = 0;
  rect.bottom = static_cast<int16_t>(description->height);
  rect.right = static_cast<int16_t>(description->width);
  if (description->numParams) {
    values.reset(new PlugCore::Relaxed<float>[description->numParams]);
    for (uint32_t i = 0; i < description->numParams; ++i)
      values[i] = effect ? effect->getParameter(static_cast<VstInt32>(i)) : 0.0f;
  }
  if (effect) {
    effect->setEditor(this);
    effect->hasEditor(true);
  }
}

PlugEditVST::~PlugEditVST() {
  if (frame) close();
}

void PlugEditVST::takeLock() {
  while (openLock.exchange(1, std::memory_order_acquire) == 1) Platform::yieldThread();
}

bool PlugEditVST::tryLock() { return openLock.exchange(1, std::memory_order_acquire) == 0; }

void PlugEditVST::freeLock() { openLock.store(0, std::memory_order_release); }

std::string PlugEditVST::settingsPath(bool createFolders) const {
  const auto* plug = dynamic_cast<const PlugCore::Plug*>(effect);
  return plug ? plug->settingsFilePath(createFolders) : std::string();
}

float PlugEditVST::takeScale() {
  const float chosen = chooseScale({userPercent.load(std::memory_order_relaxed),
                                    hostFactor.load(std::memory_order_relaxed), desktopFactor});
  scale.store(chosen, std::memory_order_relaxed);
  rect.right = static_cast<int16_t>(scaledLength(description->width, chosen));
  rect.bottom = static_cast<int16_t>(scaledLength(description->height, chosen));
  return chosen;
}

bool PlugEditVST::getRect(ERect** out) {
  takeLock();
  if (!frame) {
    // What the next open will find: the user may have picked a size in another editor since.
    userPercent = readSizeChoice(settingsPath(false));
    if (!desktopAsked) {
      desktopFactor = Platform::desktopScale(nullptr);
      desktopAsked = true;
    }
    takeScale();
  }
  freeLock();
  if (out) *out = &rect;
  return true;
}

bool PlugEditVST::open(void* parentWindow) {
  takeLock();
  bool sizeChanged = false;
  int32_t width = 0, height = 0;
  if (!frame) {
    userPercent = readSizeChoice(settingsPath(false));
    // The host's window knows its monitor; before the first open only the desktop was asked.
    desktopFactor = Platform::desktopScale(parentWindow);
    desktopAsked = true;
    const ERect answered = rect;
    const float opening = takeScale();
    width = rect.right;
    height = rect.bottom;
    NativeWindow* made = windowFactory ? windowFactory(static_cast<uint32_t>(width),
                                                       static_cast<uint32_t>(height), parentWindow)
                                       : nullptr;
    if (made) {
      if (hostEmbeds.load(std::memory_order_relaxed)) made->offerEmbedding();
      systemWindow = parentWindow;
      window = made;
      // The window owns the root, the root the frame and the frame its controls: they go with
      // the native window. The tree is laid out at 1:1 and drawn at the scale.
      root = new EditorRoot(*made, this, static_cast<uint32_t>(description->width),
                            static_cast<uint32_t>(description->height));
      root->setScale(opening);
      made->attach(root);
      frame = new PlugFrame(root, *this);
      if (builder) builder->build(*frame);
      root->setTimer(frame);
      sizeChanged = answered.right != rect.right || answered.bottom != rect.bottom;
    }
  }
  const bool opened = frame != nullptr;
  freeLock();
  // The host sized its window from an earlier answer: the desktop under its window says
  // otherwise.
  if (sizeChanged)
    if (auto* host = dynamic_cast<AudioEffectX*>(effect)) host->sizeWindow(width, height);
  // Now someone is there to read what the instance could not say while it was being made.
  if (opened)
    if (auto* plug = dynamic_cast<PlugCore::Plug*>(effect)) plug->showHeldNotices();
  return opened;
}

void PlugEditVST::rescale() {
  takeLock();
  const float before = scale.load(std::memory_order_relaxed);
  const float after = takeScale();
  const int32_t width = rect.right, height = rect.bottom;
  const bool deferred = hostSizes.load(std::memory_order_relaxed);
  // A host that sizes the window may have refused the last size: the window still shows the
  // old scale, and asking again is worth it.
  const bool resize = frame && (after != before || (deferred && root->getScale() != after));
  freeLock();
  if (!resize) return;
  // Outside the lock: the host may call back in. A host that refuses still finds the new size
  // in the rectangle at its next open.
  if (auto* host = dynamic_cast<AudioEffectX*>(effect)) host->sizeWindow(width, height);
  // Such a host has called hostResized by now, or does later, or refused.
  if (deferred) return;
  takeLock();
  if (frame && scale.load(std::memory_order_relaxed) == after) {
    root->setScale(after);
    window->resize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    window->invalidate();
  }
  freeLock();
}

bool PlugEditVST::hostResized(VstInt32 width, VstInt32 height) {
  // Past what any screen shows is garbage, not a size.
  constexpr VstInt32 kLargest = 16384;
  if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) return false;
  takeLock();
  const bool open = frame != nullptr;
  if (open) {
    if (width == rect.right && height == rect.bottom)
      root->setScale(scale.load(std::memory_order_relaxed));
    window->resize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    window->invalidate();
  }
  freeLock();
  return open;
}

int PlugEditVST::eventDescriptor() {
  takeLock();
  const int descriptor = window ? window->eventDescriptor() : -1;
  freeLock();
  return descriptor;
}

bool PlugEditVST::setScaleFactor(float factor) {
  const float usable = usableScale(factor);
  if (usable == 0.0f) return false;
  hostFactor = usable;
  rescale();
  return true;
}

void PlugEditVST::chooseSize(int percent) {
  if (!isSizeChoice(percent)) percent = 0;
  userPercent = percent;
  // The size applies now whether or not it can be remembered.
  writeSizeChoice(settingsPath(true), percent);
  rescale();
}

void PlugEditVST::desktopScaleChanged() {
  takeLock();
  if (systemWindow) desktopFactor = Platform::desktopScale(systemWindow);
  freeLock();
  rescale();
}

NativeWindow* PlugEditVST::detachWindow() {
  takeLock();
  NativeWindow* detached = frame ? window : nullptr;
  window = nullptr;
  root = nullptr;
  frame = nullptr;
  systemWindow = nullptr;
  freeLock();
  // Outside the lock: the window may be busy on the host's idle thread, and that thread may be
  // on its way to this lock (its window was destroyed). The lock is never held while waiting for
  // the window, so the two cannot wait for each other.
  if (detached) detached->releaseResources();  // while the native window still exists
  return detached;
}

void PlugEditVST::close() {
  // Outside the lock: ending the tree may end a knob's gesture with the host, which may call
  // back in.
  if (NativeWindow* closing = detachWindow()) closing->dispose();
}

bool PlugEditVST::onWheel(float notches) { return postWheelToOwnWindowUnderPointer(notches); }

void PlugEditVST::idle() {
  takeLock();
  if (!window) {
    freeLock();
    return;
  }
  // The window's events run outside the lock: they reach the host, which may call back in.
  window->idle([](void* editor) { static_cast<PlugEditVST*>(editor)->freeLock(); }, this);
}

// Only the current window still tells its end; it is on its way out already.
bool PlugEditVST::windowDestroyed() { return detachWindow() != nullptr; }

bool PlugEditVST::paramChanged(int32_t index, float value) {
  if (!tryLock()) return false;
  if (index >= 0 && static_cast<uint32_t>(index) < description->numParams) values[index] = value;
  if (frame) frame->redraw();
  freeLock();
  return true;
}

void PlugEditVST::mappingChanged(int32_t) {
  // A learnt controller whose value equals the parameter's changes no value, so the poll alone
  // would never repaint the knob that still says it is learning. Invalidating the window here
  // would be a system call on the audio thread; the poll does it at its next tick instead.
  mappingNotice.store(true, std::memory_order_release);
}

float PlugEditVST::cachedValue(int32_t index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= description->numParams) return 0.0f;
  return values[index];
}

bool PlugEditVST::showMappingChanges(bool learnStateMoved) {
  if (!tryLock()) return false;
  // A closed editor leaves the notice for the next frame, and its window is not repainted.
  if (frame && (mappingNotice.exchange(false, std::memory_order_acquire) || learnStateMoved))
    frame->redraw();
  freeLock();
  return true;
}

void PlugEditVST::refreshValue(int32_t index, float value) {
  if (index >= 0 && static_cast<uint32_t>(index) < description->numParams) values[index] = value;
}

}  // namespace Mintwerk
