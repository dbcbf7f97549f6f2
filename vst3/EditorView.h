// The effect's editor in a host's view: attached to the host's window (an HWND, or an X11 window
// id), sized as the editor says, told the host's scale. On Linux the editor handles its window in
// its idle calls, which come from a 10 ms timer on the host's run loop.
#pragma once

#include <atomic>
#include <cstdint>

#include "vst3/Vst3Abi.h"

namespace Vst3Glue {

class EffectComponent;

class EditorView final : public Vst3::IPlugView,
                         public Vst3::IPlugViewContentScaleSupport,
                         public Vst3::ITimerHandler,
                         public Vst3::IEventHandler {
 public:
  explicit EditorView(EffectComponent* owner);

  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override;
  uint32_t release() override;

  Vst3::tresult isPlatformTypeSupported(Vst3::FIDString type) override;
  Vst3::tresult attached(void* parent, Vst3::FIDString type) override;
  Vst3::tresult removed() override;
  Vst3::tresult onWheel(float distance) override;
  Vst3::tresult onKeyDown(Vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
  Vst3::tresult onKeyUp(Vst3::TChar key, int16_t keyCode, int16_t modifiers) override;
  Vst3::tresult getSize(Vst3::ViewRect* size) override;
  Vst3::tresult onSize(Vst3::ViewRect* newSize) override;
  Vst3::tresult onFocus(Vst3::TBool state) override;
  Vst3::tresult setFrame(Vst3::IPlugFrame* frame) override;
  Vst3::tresult canResize() override;
  Vst3::tresult checkSizeConstraint(Vst3::ViewRect* rect) override;

  Vst3::tresult setContentScaleFactor(float factor) override;

  void onTimer() override;
  void onFDIsSet(int fd) override;

  // The editor asks for a new size (its scale changed): true when the host took it.
  bool requestSize(int32_t width, int32_t height);

 private:
  ~EditorView();
  bool editorSize(Vst3::ViewRect& rect);
  void startIdleTimer();
  void stopIdleTimer();

  std::atomic<uint32_t> references{1};
  EffectComponent* owner;
  Vst3::IPlugFrame* frame = nullptr;
  Vst3::IRunLoop* runLoop = nullptr;
  bool watching = false;  // the editor's window's descriptor, with the run loop
  bool isAttached = false;
  // From the open on, what the host's window has: the host resizes first and tells us in onSize.
  bool sizing = false;
  Vst3::ViewRect shown{};
};

}  // namespace Vst3Glue
