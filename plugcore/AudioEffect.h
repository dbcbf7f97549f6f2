// The effect base: owns the effect record the host talks to, turns the record's entries into calls
// of virtual operations and answers the basic opcodes 0 to 24.
#pragma once

#include <cstddef>
#include <new>

#include "plugcore/Relaxed.h"
#include "plugcore/VstAbi.h"

class AEffEditor;

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffect();

  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  // Instances live on 16-byte aligned storage; the record's close entry frees them the same way.
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* storage) noexcept;
  static void operator delete(void* storage, const std::nothrow_t&) noexcept;

  AEffect* getAeffect() { return &cEffect; }
  AEffEditor* getEditor() const { return editor; }
  void setEditor(AEffEditor* newEditor) { editor = newEditor; }

  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt);

  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}
  virtual float getVu() { return 0.0f; }

  virtual void setProgram(VstInt32 program) { curProgram = program; }
  virtual VstInt32 getProgram() { return curProgram; }
  virtual void setProgramName(char*) {}
  virtual void getProgramName(char* name) { *name = 0; }

  virtual void setParameter(VstInt32, float) {}
  virtual float getParameter(VstInt32) { return 0.0f; }
  virtual void setParameterAutomated(VstInt32 index, float value);
  virtual void getParameterLabel(VstInt32, char* label) { *label = 0; }
  virtual void getParameterDisplay(VstInt32, char* text) { *text = 0; }
  virtual void getParameterName(VstInt32, char* text) { *text = 0; }

  virtual VstInt32 getChunk(void** data, bool isPreset);
  virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);

  virtual void setSampleRate(float rate) { sampleRate = rate; }
  virtual void setBlockSize(VstInt32 size) { blockSize = size; }
  float getSampleRate() const { return sampleRate; }
  VstInt32 getBlockSize() const { return blockSize; }

  virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);
  virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
  virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

  // Setters of the record: each writes the one field or flag its name says.
  void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
  void setVersion(VstInt32 version) { cEffect.version = version; }
  void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
  void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
  void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
  void setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
  void setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }
  void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
  void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
  void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
  void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
  void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
  void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }
  void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
  void hasEditor(bool state = true) { setFlag(effFlagsHasEditor, state); }

  // Host callback with this instance's record; 0 when there is no host.
  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

 protected:
  void setFlag(VstInt32 flag, bool state) {
    if (state)
      cEffect.flags |= flag;
    else
      cEffect.flags &= ~flag;
  }

  audioMasterCallback audioMaster;
  // While the instance is being made the host has no record of it yet: values set then are not
  // reported as automation.
  bool hostUnaware = false;
  AEffEditor* editor = nullptr;
  float sampleRate = 44100.0f;
  VstInt32 blockSize = 1024;
  VstInt32 numPrograms;
  VstInt32 numParams;
  // Read from any thread (the host asks for it while another thread loads a state).
  PlugCore::Relaxed<VstInt32> curProgram{0};
  AEffect cEffect;
};
