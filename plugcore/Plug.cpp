#include "plugcore/Plug.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugcore/AEffEditor.h"
#include "plugcore/Djb2.h"
#include "plugcore/TextCopy.h"

namespace PlugCore {

namespace {

// Texts go into host buffers of the protocol's sizes; ours are far shorter, and these bounds only
// keep a formatting fault from running past what any host provides.
constexpr std::size_t kParamTextCapacity = 64;
constexpr std::size_t kNameCapacity = kVstMaxEffectNameLen;
constexpr std::size_t kStringCapacity = kVstMaxVendorStrLen;

std::vector<float> currentValues(const ParamSet& params) {
  std::vector<float> values(params.count());
  for (uint32_t i = 0; i < params.count(); ++i) values[i] = params[i].value;
  return values;
}

}  // namespace

Plug::Plug(audioMasterCallback host, int32_t programCount, int32_t paramCount, const char* name,
           int32_t inputPairCount, int32_t outputPairCount)
    : AudioEffectX(host, programCount, paramCount),
      name(name),
      inputPairs(inputPairCount),
      outputPairs(outputPairCount),
      params(paramCount > 0 ? static_cast<uint32_t>(paramCount) : 0u),
      workInputs(2 * inputPairCount),
      workOutputs(2 * outputPairCount),
      stretchInputs(2 * inputPairCount),
      stretchOutputs(2 * outputPairCount) {
  cEffect.uniqueID = static_cast<VstInt32>(djb2(name));
  cEffect.flags |= effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing;
  cEffect.numInputs = 2 * inputPairs;
  cEffect.numOutputs = 2 * outputPairs;
  programs.reset(new ProgramTable(programCount, paramCount, currentValues(params).data()));
}

Plug::~Plug() = default;

// --- parameters ---

void Plug::setParameter(VstInt32 index, float value) {
  if (!params.isValid(index)) return;
  if (!(value >= 0.0f))
    value = 0.0f;  // negative or NaN
  else if (value > 1.0f)
    value = 1.0f;
  params[index].value = value;
}

float Plug::getParameter(VstInt32 index) {
  return params.isValid(index) ? std::fabs(params[index].value.load()) : 0.0f;
}

void Plug::getParameterName(VstInt32 index, char* text) {
  const char* parameterName = params.isValid(index) ? params[index].name : nullptr;
  copyText(text, parameterName ? parameterName : "**", kParamTextCapacity);
}

void Plug::getParameterLabel(VstInt32 index, char* text) {
  copyText(text, params.isValid(index) ? params[index].label : nullptr, kParamTextCapacity);
}

void Plug::getParameterDisplay(VstInt32 index, char* text) {
  if (params.isValid(index)) formatParameter(index, text, getParameter(index));
}

void Plug::getParameterText(int32_t index, float value, char* text) {
  formatParameter(index, text, value);
  char* end = text + std::strlen(text);
  getParameterLabel(index, end + 1);
  if (end[1] != 0) *end = ' ';
}

bool Plug::cookParameter(int32_t) { return true; }

bool Plug::deliverParameters() {
  bool paramsChanged = params.forceCook != 0;
  params.forceCook = 0;
  for (uint32_t i = 0; i < params.count(); ++i) {
    ParamRecord& record = params[i];
    const float value = record.value;
    const float cooked = record.lastCooked;
    // NaN on either side compares as equal: nothing to deliver.
    if (value < cooked || value > cooked) {
      record.lastCooked = value;
      if (cookParameter(static_cast<int32_t>(i))) paramsChanged = true;
    }
  }
  return paramsChanged;
}

// --- programs ---

void Plug::setProgram(VstInt32 index) {
  if (!programs->isValid(index)) return;
  if (!stateLock.try_lock()) {
    if (Platform::currentThreadId() == audioThread.load()) {
      pendingProgram.store(index);
      takePendingProgram();  // in case the holder let go just now
      return;
    }
    stateLock.lock();
  }
  pendingProgram.store(-1);  // a later change overrides one handed over before
  selectProgram(index);
  stateLock.unlock();
  takePendingProgram();
}

void Plug::takePendingProgram() {
  while (pendingProgram.load() != -1 && stateLock.try_lock()) {
    const int32_t index = pendingProgram.exchange(-1);
    if (index != -1) selectProgram(index);
    stateLock.unlock();
  }
}

void Plug::selectProgram(VstInt32 index) {
  Program& leaving = (*programs)[curProgram];
  for (uint32_t i = 0; i < params.count(); ++i)
    leaving.values[i] = std::fabs(params[i].value.load());
  const Program& entering = (*programs)[index];
  for (uint32_t i = 0; i < params.count(); ++i)
    if (!(params[i].flags & kParamNotInPrograms))
      setParameter(static_cast<VstInt32>(i), entering.values[i]);
  curProgram = index;
}

void Plug::setProgramName(char* text) {
  StateHold hold(*this);
  // At most 24 bytes are read from the host's text; the last one is always the terminator.
  char* target = (*programs)[curProgram].name;
  std::size_t i = 0;
  for (; i < kVstMaxProgNameLen - 1 && text[i]; ++i) target[i] = text[i];
  std::memset(target + i, 0, kVstMaxProgNameLen - i);
}

void Plug::getProgramName(char* text) {
  StateHold hold(*this);
  copyText(text, (*programs)[curProgram].name, kVstMaxProgNameLen);
}

bool Plug::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
  if (!programs->isValid(index)) return false;
  StateHold hold(*this);
  copyText(text, (*programs)[index].name, kVstMaxProgNameLen);
  return true;
}

// --- lifecycle ---

void Plug::setSampleRate(float rate) {
  // A rate that is not a positive number would poison every setting derived from it.
  if (!(rate > 0.0f) || std::isinf(rate)) return;
  AudioEffectX::setSampleRate(rate);
  sampleRateDirty = true;
}

void Plug::resume() {
  pendingEvents.store(nullptr);
  // A host renders offline between a resume and the next suspend; it says so when asked.
  constexpr VstIntPtr kProcessLevelOffline = 4;
  renderingOffline.store(callHost(audioMasterGetCurrentProcessLevel) == kProcessLevelOffline);
  qualityChanged();
  if (sampleRateDirty) {
    sampleRateChanged();
    sampleRateDirty = false;
  }
  for (uint32_t i = 0; i < params.count(); ++i) params[i].lastCooked = -1.0f;
  resetState();
  cEffect.initialDelay = getLatency();
}

void Plug::suspend() { pendingEvents.store(nullptr); }

// --- host facts ---

const char* Plug::getInputName(int32_t) { return "Main"; }
const char* Plug::getOutputName(int32_t) { return "Main"; }

namespace {
bool describePin(VstInt32 index, int32_t pairs, const char* pairName,
                 VstPinProperties* properties) {
  // A negative pin index is no pin at all, although integer division would fold -1 onto pair 0.
  if (index < 0 || index / 2 >= pairs) return false;
  std::snprintf(properties->label, sizeof properties->label, "%s %s", pairName,
                index % 2 == 0 ? "L" : "R");
  properties->flags = kVstPinIsActive | kVstPinIsStereo;
  return true;
}
}  // namespace

bool Plug::getInputProperties(VstInt32 index, VstPinProperties* properties) {
  if (index < 0 || index / 2 >= inputPairs) return false;
  return describePin(index, inputPairs, getInputName(index / 2), properties);
}

bool Plug::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
  if (index < 0 || index / 2 >= outputPairs) return false;
  return describePin(index, outputPairs, getOutputName(index / 2), properties);
}

bool Plug::getEffectName(char* text) {
  copyText(text, name, kNameCapacity);
  return true;
}

bool Plug::getVendorString(char* text) {
  copyText(text, kVendor, kStringCapacity);
  return true;
}

bool Plug::getProductString(char* text) {
  std::snprintf(text, kStringCapacity, "%s %s", kVendor, name ? name : "");
  return true;
}

VstIntPtr Plug::vendorSpecific(VstInt32 index, VstIntPtr value, void*, float opt) {
  AEffEditor* editor = getEditor();
  // The editor knows the windows; an effect without one has none to turn.
  if (index == kVendorWheelIndex && value == kVendorWheelValue)
    return editor && editor->onWheel(opt) ? 1 : 0;
  if (index == kVendorScaleIndex && value == kVendorScaleValue)
    return editor && editor->setScaleFactor(opt) ? 1 : 0;
  if (index == kVendorQualityIndex) {
    if (value == -1) return 1 + static_cast<VstIntPtr>(getQuality());
    if (value < 0 || value >= kQualityCount) return 0;
    setQuality(static_cast<Quality>(value));
    return 1;
  }
  return 0;
}

VstInt32 Plug::canDo(char* text) { return std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : 0; }

}  // namespace PlugCore
