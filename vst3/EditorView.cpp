#include "vst3/EditorView.h"

#include <cstring>

#include "plugcore/VstAbi.h"
#include "vst3/EffectComponent.h"

namespace Vst3Glue {

using namespace Vst3;

namespace {

constexpr uint64_t kIdleMilliseconds = 10;

#if defined(_WIN32)
constexpr const char* kPlatformType = kPlatformTypeHWND;
#else
constexpr const char* kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

}  // namespace

EditorView::EditorView(EffectComponent* owner) : owner(owner) { owner->addRef(); }

EditorView::~EditorView() {
  if (isAttached) removed();
  owner->release();
}

tresult EditorView::queryInterface(const TUID iid, void** object) {
  if (!object) return kInvalidArgument;
  if (sameUid(iid, kFUnknownIid) || sameUid(iid, kIPlugViewIid))
    *object = static_cast<IPlugView*>(this);
  else if (sameUid(iid, kIPlugViewContentScaleSupportIid))
    *object = static_cast<IPlugViewContentScaleSupport*>(this);
  else if (sameUid(iid, kITimerHandlerIid))
    *object = static_cast<ITimerHandler*>(this);
  else if (sameUid(iid, kIEventHandlerIid))
    *object = static_cast<IEventHandler*>(this);
  else {
    *object = nullptr;
    return kNoInterface;
  }
  addRef();
  return kResultOk;
}

uint32_t EditorView::addRef() { return ++references; }

uint32_t EditorView::release() {
  const uint32_t left = --references;
  if (left == 0) delete this;
  return left;
}

tresult EditorView::isPlatformTypeSupported(FIDString type) {
  return type && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult EditorView::attached(void* parent, FIDString type) {
  if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
  // The effect has one editor: a second view stays empty while the first is open.
  if (isAttached || owner->viewIsAttached()) return kResultFalse;
  owner->viewAttached(this);
  // What the host sized its window from; an open that wants another size asks for it.
  sizing = editorSize(shown);
  if (!owner->dispatch(effEditOpen, 0, 0, parent)) {
    sizing = false;
    owner->viewRemoved(this);
    return kResultFalse;
  }
  isAttached = true;
  startIdleTimer();
  return kResultOk;
}

tresult EditorView::removed() {
  if (!isAttached) return kResultFalse;
  stopIdleTimer();
  owner->dispatch(effEditClose);
  owner->viewRemoved(this);
  isAttached = false;
  sizing = false;
  return kResultOk;
}

void EditorView::startIdleTimer() {
#if !defined(_WIN32)
  // Windows drives the editor's window by itself; X11 needs the host's loop.
  if (!frame || runLoop) return;
  void* found = nullptr;
  if (frame->queryInterface(kIRunLoopIid.tuid(), &found) != kResultOk || !found) return;
  runLoop = static_cast<IRunLoop*>(found);
  if (runLoop->registerTimer(this, kIdleMilliseconds) != kResultOk) {
    runLoop->release();
    runLoop = nullptr;
    return;
  }
  // Some hosts' loops sleep until a descriptor they watch is readable, timers or not: the
  // window's events wake them.
  const int descriptor = owner->editorEventDescriptor();
  watching = descriptor >= 0 && runLoop->registerEventHandler(static_cast<IEventHandler*>(this),
                                                              descriptor) == kResultOk;
#endif
}

void EditorView::stopIdleTimer() {
  if (!runLoop) return;
  if (watching) runLoop->unregisterEventHandler(static_cast<IEventHandler*>(this));
  watching = false;
  runLoop->unregisterTimer(this);
  runLoop->release();
  runLoop = nullptr;
}

void EditorView::onTimer() {
  if (isAttached) owner->dispatch(effEditIdle);
}

void EditorView::onFDIsSet(int) {
  if (isAttached) owner->dispatch(effEditIdle);
}

tresult EditorView::onWheel(float distance) {
  return owner->dispatch(effVendorSpecific, kVendorWheelIndex, kVendorWheelValue, nullptr, distance)
             ? kResultTrue
             : kResultFalse;
}

tresult EditorView::onKeyDown(TChar, int16_t, int16_t) { return kResultFalse; }
tresult EditorView::onKeyUp(TChar, int16_t, int16_t) { return kResultFalse; }

bool EditorView::editorSize(ViewRect& rect) {
  ERect* r = nullptr;
  if (!owner->dispatch(effEditGetRect, 0, 0, &r) || !r) return false;
  rect = ViewRect{0, 0, r->right - r->left, r->bottom - r->top};
  return true;
}

// Open, the size the host gave us last: a host compares it with the size asked for in
// resizeView to learn whether it has anything to do. Closed, the size the next open has.
tresult EditorView::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  if (sizing) {
    *size = shown;
    return kResultOk;
  }
  return editorSize(*size) ? kResultOk : kResultFalse;
}

// The one place the open editor's window changes size: the host has resized its own.
tresult EditorView::onSize(ViewRect* newSize) {
  if (!newSize) return kInvalidArgument;
  if (!sizing) return kResultOk;
  const int32_t width = newSize->right - newSize->left, height = newSize->bottom - newSize->top;
  if (!owner->editorResized(width, height)) return kResultFalse;
  shown = ViewRect{0, 0, width, height};
  return kResultOk;
}

tresult EditorView::onFocus(TBool) { return kResultOk; }

tresult EditorView::setFrame(IPlugFrame* newFrame) {
  frame = newFrame;
  if (!frame) stopIdleTimer();
  return kResultOk;
}

tresult EditorView::canResize() { return kResultFalse; }

tresult EditorView::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  ViewRect size{};
  if (!editorSize(size)) return kResultFalse;
  *rect = ViewRect{rect->left, rect->top, rect->left + size.right, rect->top + size.bottom};
  return kResultTrue;
}

tresult EditorView::setContentScaleFactor(float factor) {
  return owner->dispatch(effVendorSpecific, kVendorScaleIndex, kVendorScaleValue, nullptr, factor)
             ? kResultTrue
             : kResultFalse;
}

bool EditorView::requestSize(int32_t width, int32_t height) {
  if (!frame) return false;
  ViewRect rect{0, 0, width, height};
  return frame->resizeView(this, &rect) == kResultOk;
}

}  // namespace Vst3Glue
