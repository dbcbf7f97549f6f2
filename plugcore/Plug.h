// The framework class every effect derives from: the parameter set and its paths between the
// threads, the program table, and the operations a concrete effect supplies.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "plugcore/AudioEffectX.h"
#include "plugcore/IParamCook.h"
#include "plugcore/ParamSet.h"
#include "plugcore/ProgramTable.h"
#include "plugcore/Relaxed.h"
#include "plugcore/TransportInfo.h"

namespace PlugCore {

class Plug : public AudioEffectX, public IParamCook {
 public:
  Plug(audioMasterCallback host, int32_t numPrograms, int32_t numParams, const char* name,
       int32_t inputPairs = 1, int32_t outputPairs = 1);
  ~Plug() override;

  const char* getName() const { return name; }
  ParamSet& parameters() { return params; }
  const ParamSet& parameters() const { return params; }
  ProgramTable& programTable() { return *programs; }
  bool isSampleRateDirty() const { return sampleRateDirty; }

  // Parameters.
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  bool canParameterBeAutomated(VstInt32) override { return true; }
  void getParameterName(VstInt32 index, char* text) override;
  void getParameterLabel(VstInt32 index, char* text) override;
  void getParameterDisplay(VstInt32 index, char* text) override;

  // Programs.
  void setProgram(VstInt32 index) override;
  void setProgramName(char* text) override;
  void getProgramName(char* text) override;
  bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

  // Lifecycle.
  void setSampleRate(float rate) override;
  void resume() override;
  void suspend() override {}

  // Audio entries. Until the processing frame exists they produce silence.
  void process(float** inputs, float** outputs, VstInt32 frames) override;
  void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
  void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;

  // Host facts.
  bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
  bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
  bool getEffectName(char* text) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  VstInt32 canDo(char* text) override;

  bool cookParameter(int32_t index) override;

  // What a concrete effect supplies.
  virtual const char* getInputName(int32_t pair);
  virtual const char* getOutputName(int32_t pair);
  virtual void sampleRateChanged() = 0;
  virtual void resetState() = 0;
  virtual bool processBlock(bool paramsChanged, const TransportInfo& transport,
                            double* const* inputs, double* const* outputs, int32_t frames) = 0;
  virtual void formatParameter(int32_t index, char* text, float value) = 0;
  virtual int32_t getLatency() { return 0; }
  virtual void noteOn(int32_t, int32_t) {}
  virtual void noteOff(int32_t, int32_t) {}
  virtual void controllerChanged(int32_t, float) {}
  // Display text, a blank and the unit label (no blank when the label is empty).
  virtual void getParameterText(int32_t index, float value, char* text);

  // Delivery of changed values to the audio side; returns the paramsChanged flag for processBlock.
  bool deliverParameters();

  static constexpr const char* kVendor = "Harrowmint";

 protected:
  const char* name;
  int32_t inputPairs;
  int32_t outputPairs;
  bool sampleRateDirty = true;
  VstEvents* pendingEvents = nullptr;
  double beatPosition = 0.0;
  uint16_t registeredParameter = 0;
  uint16_t pitchBendRange = 256;
  double pitchBend = 0.0;
  Relaxed<int32_t> learnIndex{-1};
  bool paramsPending = false;
  std::vector<uint8_t> chunkBuffer;
  double noiseState[2] = {0.0, 0.0};
  uint32_t noiseCounter = 0;
  ParamSet params;
  std::unique_ptr<ProgramTable> programs;
};

}  // namespace PlugCore
