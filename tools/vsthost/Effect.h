// A loaded effect record and the calls a host makes on it. Every subcommand goes through here, so
// the buffers handed to the plug-in are sized and zeroed in one place.
#pragma once

#include <string>

#include "plugcore/VstAbi.h"

class Effect {
 public:
  explicit Effect(AEffect* effect) : effect_(effect) {}

  const AEffect& record() const { return *effect_; }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const;

  // For the opcodes that write a C string: a zeroed 256-byte buffer, read up to its first zero.
  // The dispatcher's own return goes to `answer` when one is given.
  std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr* answer = nullptr) const;

  VstIntPtr canDo(const char* capability) const;
  // False when the plug-in has no such pin; `pin` starts zeroed.
  bool pinProperties(bool input, VstInt32 index, VstPinProperties& pin) const;

  float getParameter(VstInt32 index) const;
  void setParameter(VstInt32 index, float value) const;

  VstIntPtr open() const { return dispatch(effOpen); }
  // The record must not be touched after this.
  VstIntPtr close() const { return dispatch(effClose); }

 private:
  AEffect* effect_;
};
