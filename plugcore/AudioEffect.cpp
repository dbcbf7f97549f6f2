#include "plugcore/AudioEffect.h"

#include <cstring>

#include "plugcore/AEffEditor.h"

namespace {

constexpr std::align_val_t kInstanceAlignment{16};

AudioEffect* objectOf(AEffect* effect) { return static_cast<AudioEffect*>(effect->object); }

VstIntPtr dispatchEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                        void* ptr, float opt) {
  AudioEffect* object = objectOf(effect);
  VstIntPtr result = object->dispatcher(opcode, index, value, ptr, opt);
  if (opcode == effClose) {
    // The editor's window must not outlive the effect it shows: close it while the whole effect
    // still exists, since ending the window's controls may still reach it.
    if (AEffEditor* editor = object->getEditor()) editor->close();
    delete object;
    return 1;
  }
  return result;
}

void processEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  objectOf(effect)->process(inputs, outputs, frames);
}

void processReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  objectOf(effect)->processReplacing(inputs, outputs, frames);
}

void processDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs,
                                 VstInt32 frames) {
  objectOf(effect)->processDoubleReplacing(inputs, outputs, frames);
}

void setParameterEntry(AEffect* effect, VstInt32 index, float value) {
  objectOf(effect)->setParameter(index, value);
}

float getParameterEntry(AEffect* effect, VstInt32 index) {
  return objectOf(effect)->getParameter(index);
}

}  // namespace

void* AudioEffect::operator new(std::size_t size) {
  return ::operator new(size, kInstanceAlignment);
}

void* AudioEffect::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return ::operator new(size, kInstanceAlignment, std::nothrow);
}

void AudioEffect::operator delete(void* storage) noexcept {
  ::operator delete(storage, kInstanceAlignment);
}

void AudioEffect::operator delete(void* storage, const std::nothrow_t&) noexcept {
  ::operator delete(storage, kInstanceAlignment);
}

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programs, VstInt32 params)
    : audioMaster(host), numPrograms(programs), numParams(params) {
  std::memset(&cEffect, 0, sizeof cEffect);
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchEntry;
  cEffect.process = processEntry;
  cEffect.setParameter = setParameterEntry;
  cEffect.getParameter = getParameterEntry;
  cEffect.numPrograms = programs;
  cEffect.numParams = params;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.flags = effFlagsCanReplacing;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = 0x4E6F4566;  // 'NoEf'
  cEffect.version = 1;
  cEffect.processReplacing = processReplacingEntry;
  cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() { delete editor; }

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
  setParameter(index, value);
  if (hostUnaware) return;
  // The host records what the parameter now holds, not what was asked for (which may lie
  // outside 0..1).
  callHost(audioMasterAutomate, index, 0, nullptr, getParameter(index));
}

VstInt32 AudioEffect::getChunk(void**, bool) { return 0; }
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) { return 0; }
void AudioEffect::process(float**, float**, VstInt32) {}
void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
  // Opcodes that write through the pointer do nothing when the host passes none.
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (text) setProgramName(text);
      return 0;
    case effGetProgramName:
      if (text) getProgramName(text);
      return 0;
    case effGetParamLabel:
      if (text) getParameterLabel(index, text);
      return 0;
    case effGetParamDisplay:
      if (text) getParameterDisplay(index, text);
      return 0;
    case effGetParamName:
      if (text) getParameterName(index, text);
      return 0;
    case effGetVu:
      return static_cast<VstIntPtr>(getVu() * 32767.0f);
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<VstInt32>(value));
      return 0;
    case effMainsChanged:
      if (value)
        resume();
      else
        suspend();
      return 0;
    case effEditGetRect:
      return editor && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
      return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return 0x4E764566;  // 'NvEf'
    case effGetChunk:
      return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:  // a missing chunk is an empty one, and the reader says so
      return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
      return 0;
  }
}
