// The extended effect base: answers opcodes 25 to 79 and wraps the host callbacks of the
// extended protocol. Everything else goes to AudioEffect.
#pragma once

#include "plugcore/AudioEffect.h"

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(audioMasterCallback host, VstInt32 numPrograms, VstInt32 numParams)
      : AudioEffect(host, numPrograms, numParams) {}

  VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) override;

  virtual VstInt32 processEvents(VstEvents*) { return 0; }
  virtual bool canParameterBeAutomated(VstInt32) { return false; }
  virtual VstInt32 getNumCategories() { return 1; }
  virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
  virtual bool getInputProperties(VstInt32, VstPinProperties*) { return false; }
  virtual bool getOutputProperties(VstInt32, VstPinProperties*) { return false; }
  virtual VstPlugCategory getPlugCategory();
  virtual bool setBlockSizeAndSampleRate(VstInt32 size, float rate);
  virtual bool getEffectName(char*) { return false; }
  virtual bool getVendorString(char*) { return false; }
  virtual bool getProductString(char*) { return false; }
  virtual VstInt32 getVendorVersion() { return 0; }
  virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
  virtual VstInt32 canDo(char*) { return 0; }
  virtual bool keysRequired() { return false; }
  virtual VstInt32 getVstVersion() { return 2400; }
  virtual VstInt32 getCurrentMidiProgram() { return -1; }
  virtual VstIntPtr setTotalSampleToProcess(VstIntPtr value) { return value; }
  // Samples the output goes on sounding after the input stops. To VST 2.4 hosts 0 means "ask
  // someone else" and 1 "no tail"; the largest value stands for a tail without end.
  static constexpr VstInt32 kNoTail = 1;
  static constexpr VstInt32 kEndlessTail = 0x7FFFFFFF;
  virtual VstInt32 getGetTailSize() { return 0; }

  // Host callbacks; each answers 0 (or null) without a host.
  VstIntPtr getMasterVersion() { return callHost(audioMasterVersion); }
  VstTimeInfo* getTimeInfo(VstInt32 filter);
  bool beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
  bool endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
  // Asks the host to make the editor's window this large; false when it will not.
  bool sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
  }
};
