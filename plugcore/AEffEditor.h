// The editor object as the host's protocol sees it. The base answers as an editor with nothing to
// show; a real editor overrides what it supports.
#pragma once

#include "plugcore/VstAbi.h"

class AudioEffect;

// A key press as the host hands it over: the character, a virtual key code and modifier bits.
struct VstKeyCode {
  VstInt32 character;
  unsigned char virt;
  unsigned char modifier;
};

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect) {}
  virtual ~AEffEditor() = default;

  virtual AudioEffect* getEffect() { return effect; }
  virtual bool getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return false;
  }
  virtual bool open(void* window) {
    systemWindow = window;
    return false;
  }
  virtual void close() { systemWindow = nullptr; }
  virtual bool isOpen() { return systemWindow != nullptr; }
  virtual void idle() {}
  virtual bool onKeyDown(VstKeyCode&) { return false; }
  virtual bool onKeyUp(VstKeyCode&) { return false; }
  virtual bool onWheel(float) { return false; }
  virtual bool setKnobMode(VstInt32) { return false; }
  // The host's scale for the editor (its vendor-specific notification); true when taken.
  virtual bool setScaleFactor(float) { return false; }
  // For a host that sizes the editor's window itself and says so afterwards (a VST 3 view's
  // frame): from now on the editor only asks for a size, and its window changes in hostResized.
  virtual void letHostSizeWindow() {}
  // The host's window around the editor has this size now; false when nothing open takes it.
  virtual bool hostResized(VstInt32, VstInt32) { return false; }
  // For a host that embeds the editor's window by the system's protocol (XEmbed, for VST 3
  // views on X11): the windows opened from now on take part in it.
  virtual void letHostEmbedWindow() {}
  // Readable when the open editor's window has events for the idle calls to handle; -1 for none.
  virtual int eventDescriptor() { return -1; }

 protected:
  AudioEffect* effect;
  void* systemWindow = nullptr;
};
