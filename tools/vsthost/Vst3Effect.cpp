#include "Vst3Effect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "EditorScale.h"

namespace vst3host {

using namespace Vst3;

namespace {

constexpr VstInt32 kIdentify = 0x4E764566;  // 'NvEf'
// Our texts go into the 256-byte buffers the tool hands out; this bound keeps a long title in them.
constexpr size_t kTextCapacity = 64;
// The controller numbers a VST 3 plug-in maps besides the 128 of MIDI.
constexpr CtrlNumber kChannelPressure = 128;
constexpr CtrlNumber kPitchBend = 129;

#if defined(_WIN32)
const char* const kPlatformType = kPlatformTypeHWND;
#else
const char* const kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

FIDString idOf(const Uid& uid) { return reinterpret_cast<FIDString>(uid.bytes); }

template <typename Interface>
Interface* query(FUnknown* object, const Uid& iid) {
  void* answer = nullptr;
  if (!object ||
      object->queryInterface(reinterpret_cast<const char*>(iid.bytes), &answer) != kResultOk)
    return nullptr;
  return static_cast<Interface*>(answer);
}

template <typename Interface>
void releaseAndClear(Interface*& object) {
  if (object) object->release();
  object = nullptr;
}

uint32_t word(const uint8_t* bytes, bool bigEndian) {
  return bigEndian ? uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
                         bytes[3]
                   : uint32_t(bytes[3]) << 24 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[1]) << 8 |
                         bytes[0];
}

Effect* self(AEffect* effect) { return static_cast<Effect*>(effect->object); }

}  // namespace

VstInt32 uniqueIdOf(const TUID classId) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(classId);
  // The same four words on both systems, whatever order their bytes are kept in.
#if defined(_WIN32)
  const uint32_t second =
      (uint32_t(bytes[5]) << 24 | uint32_t(bytes[4]) << 16) | (uint32_t(bytes[7]) << 8 | bytes[6]);
  const uint32_t words[4] = {word(bytes, false), second, word(bytes + 8, true),
                             word(bytes + 12, true)};
#else
  const uint32_t words[4] = {word(bytes, true), word(bytes + 4, true), word(bytes + 8, true),
                             word(bytes + 12, true)};
#endif
  return static_cast<VstInt32>(words[0] ^ words[1] ^ words[2] ^ words[3]);
}

// --- creation ---

Effect::Effect(audioMasterCallback host)
    : host_(host), frame_([this](int width, int height) { return resizeWindow(width, height); }) {
  std::memset(&record_, 0, sizeof record_);
  std::memset(&context_, 0, sizeof context_);
  record_.magic = kEffectMagic;
  record_.object = this;
  record_.ioRatio = 1.0f;
  record_.dispatcher = dispatchProc;
  record_.process = processProc;
  record_.processReplacing = processReplacingProc;
  record_.setParameter = setParameterProc;
  record_.getParameter = getParameterProc;
}

AEffect* Effect::create(IPluginFactory* factory, const TUID classId, audioMasterCallback host,
                        std::string& error) {
  Effect* effect = new Effect(host);
  if (effect->start(factory, classId, error)) return &effect->record_;
  delete effect;
  return nullptr;
}

bool Effect::start(IPluginFactory* factory, const TUID classId, std::string& error) {
  void* object = nullptr;
  if (factory->createInstance(classId, idOf(kIComponentIid), &object) != kResultOk || !object) {
    error = "the factory made no component of the audio class";
    return false;
  }
  component_ = static_cast<IComponent*>(object);
  if (component_->initialize(&application_) != kResultOk) {
    error = "the component refused to initialize";
    return false;
  }
  processor_ = query<IAudioProcessor>(component_, kIAudioProcessorIid);
  if (!processor_) {
    error = "the component is no audio processor";
    return false;
  }
  controller_ = query<IEditController>(component_, kIEditControllerIid);
  TUID controllerId = {0};
  if (!controller_ && component_->getControllerClassId(controllerId) == kResultOk &&
      factory->createInstance(controllerId, idOf(kIEditControllerIid), &object) == kResultOk) {
    controller_ = static_cast<IEditController*>(object);
    separateController_ = true;
    if (controller_->initialize(&application_) != kResultOk) {
      error = "the edit controller refused to initialize";
      return false;
    }
    MemoryStream state;
    if (component_->getState(&state) == kResultOk) {
      state.seek(0, kIBSeekSet, nullptr);
      controller_->setComponentState(&state);
    }
  }
  if (!controller_) {
    error = "the audio class has no edit controller";
    return false;
  }
  controller_->setComponentHandler(this);
  midiMapping_ = query<IMidiMapping>(component_, kIMidiMappingIid);
  if (!midiMapping_) midiMapping_ = query<IMidiMapping>(controller_, kIMidiMappingIid);
  units_ = query<IUnitInfo>(controller_, kIUnitInfoIid);

  readClassInfo(factory, classId);
  readParameters();
  readBuses();
  canDouble_ = processor_->canProcessSampleSize(kSample64) == kResultOk;
  record_.flags = effFlagsCanReplacing | effFlagsProgramChunks;
  if (canDouble_) {
    record_.flags |= effFlagsCanDoubleReplacing;
    record_.processDoubleReplacing = processDoubleProc;
  }
  // An editor is offered when a view can be made for this system's windows.
  if (ensureView()) {
    if (view_->isPlatformTypeSupported(kPlatformType) == kResultOk)
      record_.flags |= effFlagsHasEditor;
    closeEditor();
  }
  record_.uniqueID = uniqueIdOf(classId);
  record_.initialDelay = static_cast<VstInt32>(processor_->getLatencySamples());
  return true;
}

void Effect::readClassInfo(IPluginFactory* factory, const TUID classId) {
  PFactoryInfo factoryInfo{};
  if (factory->getFactoryInfo(&factoryInfo) == kResultOk)
    vendor_.assign(factoryInfo.vendor, strnlen(factoryInfo.vendor, sizeof factoryInfo.vendor));
  IPluginFactory2* second = query<IPluginFactory2>(factory, kIPluginFactory2Iid);
  for (int32_t i = 0; i < factory->countClasses(); ++i) {
    PClassInfo2 info{};
    const bool detailed = second && second->getClassInfo2(i, &info) == kResultOk;
    if (!detailed && factory->getClassInfo(i, reinterpret_cast<PClassInfo*>(&info)) != kResultOk)
      continue;
    if (std::memcmp(info.cid, classId, sizeof info.cid) != 0) continue;
    name_.assign(info.name, strnlen(info.name, sizeof info.name));
    if (detailed) {
      // The major number, as a VST 2.4 record carries it.
      record_.version = std::atoi(info.version);
      subCategories_.assign(info.subCategories, strnlen(info.subCategories, 128));
      if (info.vendor[0]) vendor_.assign(info.vendor, strnlen(info.vendor, sizeof info.vendor));
    }
  }
  if (second) second->release();
}

void Effect::readParameters() {
  const int32_t count = controller_->getParameterCount();
  for (int32_t i = 0; i < count; ++i) {
    ParameterInfo info{};
    if (controller_->getParameterInfo(i, info) != kResultOk) continue;
    if (info.flags & ParameterInfo::kIsProgramChange) {
      if (!hasProgramParam_) {
        hasProgramParam_ = true;
        programParam_ = info.id;
        programSteps_ = info.stepCount;
      }
      continue;
    }
    // What a VST 2.4 host lists: the parameters it may automate and show. Bypass is a switch of
    // the host's own there.
    const int32_t hidden =
        ParameterInfo::kIsHidden | ParameterInfo::kIsBypass | ParameterInfo::kIsReadOnly;
    if (!(info.flags & ParameterInfo::kCanAutomate) || (info.flags & hidden)) continue;
    visible_.push_back(info.id);
    stepCounts_.push_back(info.stepCount);
  }
  pending_.reset(new Pending[visible_.size() + 1]);
  record_.numParams = static_cast<VstInt32>(visible_.size());

  int32_t programs = hasProgramParam_ ? programSteps_ + 1 : 0;
  if (units_ && hasProgramParam_) {
    // The program list of the root unit, else the first one.
    for (int32_t u = 0; u < units_->getUnitCount(); ++u) {
      UnitInfo unit{};
      if (units_->getUnitInfo(u, unit) == kResultOk && unit.id == kRootUnitId)
        programList_ = unit.programListId;
    }
    for (int32_t l = 0; l < units_->getProgramListCount(); ++l) {
      ProgramListInfo list{};
      if (units_->getProgramListInfo(l, list) != kResultOk) continue;
      if (programList_ == kNoProgramListId) programList_ = list.id;
      if (list.id == programList_) programs = std::min(programs, list.programCount);
    }
  }
  record_.numPrograms = programs;
}

void Effect::readBuses() {
  const auto channelsOf = [&](int32_t direction, int32_t& buses) {
    buses = component_->getBusCount(kAudio, direction);
    BusInfo bus{};
    if (buses <= 0 || component_->getBusInfo(kAudio, direction, 0, bus) != kResultOk) return 0;
    component_->activateBus(kAudio, direction, 0, true);
    return std::min<int32_t>(bus.channelCount, kMaxChannels);
  };
  inputChannels_ = channelsOf(kInput, inputBuses_);
  outputChannels_ = channelsOf(kOutput, outputBuses_);
  inputBuses_ = std::min(inputBuses_, 1);
  outputBuses_ = std::min(outputBuses_, 1);
  takesEvents_ = component_->getBusCount(kEvent, kInput) > 0;
  if (takesEvents_) component_->activateBus(kEvent, kInput, 0, true);
  record_.numInputs = inputChannels_;
  record_.numOutputs = outputChannels_;
}

Effect::~Effect() {
  closeEditor();
  if (active_) setActive(false);
  if (controller_) controller_->setComponentHandler(nullptr);
  releaseAndClear(units_);
  releaseAndClear(midiMapping_);
  releaseAndClear(processor_);
  if (separateController_ && controller_) controller_->terminate();
  releaseAndClear(controller_);
  if (component_) component_->terminate();
  releaseAndClear(component_);
}

tresult Effect::queryInterface(const TUID iid, void** object) {
  return answerOnly(this, kIComponentHandlerIid, iid, object);
}

VstIntPtr Effect::host(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return host_ ? host_(&record_, opcode, index, value, ptr, opt) : 0;
}

// --- the record's entries ---

VstIntPtr Effect::dispatchProc(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
  if (opcode == effClose) {
    delete self(effect);
    return 1;
  }
  return self(effect)->dispatch(opcode, index, value, ptr, opt);
}

void Effect::processReplacingProc(AEffect* effect, float** inputs, float** outputs,
                                  VstInt32 frames) {
  self(effect)->process(inputs, outputs, frames);
}

void Effect::processDoubleProc(AEffect* effect, double** inputs, double** outputs,
                               VstInt32 frames) {
  self(effect)->process(inputs, outputs, frames);
}

// The accumulating entry: the replacing one into scratch outputs, added to the host's.
void Effect::processProc(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  Effect& e = *self(effect);
  if (e.scratch_.empty()) return;
  float* ins[kMaxChannels];
  for (VstInt32 done = 0; done < frames;) {
    const VstInt32 piece = std::min(frames - done, e.maxBlock_);
    for (int32_t c = 0; c < e.inputChannels_; ++c) ins[c] = inputs[c] + done;
    e.process(ins, e.scratchPointers_.data(), piece);
    for (int32_t c = 0; c < e.outputChannels_; ++c)
      for (VstInt32 i = 0; i < piece; ++i) outputs[c][done + i] += e.scratch_[c][i];
    done += piece;
  }
}

void Effect::setParameterProc(AEffect* effect, VstInt32 index, float value) {
  self(effect)->setParameter(index, value);
}

float Effect::getParameterProc(AEffect* effect, VstInt32 index) {
  return self(effect)->getParameter(index);
}

VstIntPtr Effect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effSetProgram:
      setProgram(value);
      return 0;
    case effGetProgram:
      return currentProgram();
    case effGetProgramName:
      copyText(programName(currentProgram()), text, kVstMaxProgNameLen);
      return 0;
    case effGetProgramNameIndexed:
      if (index < 0 || index >= record_.numPrograms) return 0;
      copyText(programName(index), text, kVstMaxProgNameLen);
      return 1;
    case effGetParamName:
    case effGetParamLabel:
    case effGetParamDisplay:
      copyText(parameterText(opcode, index), text, kTextCapacity);
      return 0;
    case effCanBeAutomated:
      return index >= 0 && index < record_.numParams ? 1 : 0;
    case effSetSampleRate:
      if (!(opt > 0) || std::isinf(opt)) return 0;
      sampleRate_ = opt;
      setUpAgain();
      return 0;
    case effSetBlockSize:
      if (value <= 0) return 0;
      maxBlock_ = static_cast<int32_t>(std::min<VstIntPtr>(value, 1 << 20));
      setUpAgain();
      return 0;
    case effMainsChanged:
      // A VST 2.4 host may never send effStartProcess: resumed means processing.
      if (value) {
        setActive(true);
        setProcessing(true);
      } else {
        setProcessing(false);
        setActive(false);
      }
      return 0;
    case effSetProcessPrecision: {
      const int32_t size = value == 1 && canDouble_ ? kSample64 : kSample32;
      if (size != sampleSize_) {
        sampleSize_ = size;
        setUpAgain();
      }
      return 1;
    }
    case effStartProcess:
      setProcessing(active_);
      return 0;
    case effStopProcess:
      setProcessing(false);
      return 0;
    case effGetChunk:
      return getChunk(index, static_cast<void**>(ptr));
    case effSetChunk:
      return setChunk(index, value, ptr);
    case effProcessEvents:
      takeEvents(static_cast<const VstEvents*>(ptr));
      return 1;
    case effEditGetRect:
      return editorRect(ptr);
    case effEditOpen:
      return openEditor(ptr);
    case effEditClose:
      closeEditor();
      return 0;
    case effEditIdle:
      if (attached_) frame_.serve();
      return 0;
    case effGetInputProperties:
    case effGetOutputProperties: {
      const int32_t channels = opcode == effGetInputProperties ? inputChannels_ : outputChannels_;
      auto* pin = static_cast<VstPinProperties*>(ptr);
      if (!pin || index < 0 || index >= channels) return 0;
      const bool stereo = channels == 2;
      copyText(
          stereo ? std::string("Main ") + (index ? "R" : "L") : "Main " + std::to_string(index),
          pin->label, sizeof pin->label);
      pin->flags = kVstPinIsActive | (stereo ? kVstPinIsStereo : 0);
      return 1;
    }
    case effGetPlugCategory:
      if (subCategories_.find("Instrument") != std::string::npos) return kPlugCategEffect + 1;
      return subCategories_.find("Fx") != std::string::npos ? kPlugCategEffect : 0;
    case effGetEffectName:
      copyText(name_, text, kVstMaxEffectNameLen);
      return 1;
    case effGetVendorString:
      copyText(vendor_, text, kVstMaxVendorStrLen);
      return 1;
    case effGetProductString:
      copyText(vendor_.empty() ? name_ : vendor_ + " " + name_, text, kVstMaxProductStrLen);
      return 1;
    case effVendorSpecific:
      if (index == editorscale::kIndex && value == editorscale::kValue) return setScale(opt);
      if (index == kVendorWheelIndex && value == kVendorWheelValue)
        return attached_ && view_->onWheel(opt) == kResultOk ? 1 : 0;
      return 0;
    case effCanDo: {
      if (!text) return 0;
      return takesEvents_ && std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : 0;
    }
    case effGetVstVersion:
      return 2400;
    case effIdentify:
      return kIdentify;
    case effGetNumProgramCategories:
      return 1;
    case effGetTailSize: {
      // In VST 2.4 terms: 1 for no tail (0 would mean "unknown"), the largest length for endless.
      const uint32_t tail = processor_->getTailSamples();
      if (tail == kNoTail) return 1;
      return tail >= 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<VstIntPtr>(tail);
    }
    default:
      return 0;
  }
}

// --- parameters and programs ---

int Effect::indexOf(ParamID id) const {
  for (size_t i = 0; i < visible_.size(); ++i)
    if (visible_[i] == id) return static_cast<int>(i);
  return -1;
}

void Effect::setParameter(VstInt32 index, float value) {
  if (index < 0 || index >= record_.numParams) return;
  // VST 3 values are normalized: what a VST 2.4 host sends outside is brought inside.
  if (!(value >= 0.0f))
    value = 0.0f;
  else if (value > 1.0f)
    value = 1.0f;
  controller_->setParamNormalized(visible_[index], value);
  pending_[index].value.store(value, std::memory_order_relaxed);
  pending_[index].set.store(true, std::memory_order_release);
}

float Effect::getParameter(VstInt32 index) const {
  if (index < 0 || index >= record_.numParams) return 0.0f;
  return static_cast<float>(controller_->getParamNormalized(visible_[index]));
}

std::string Effect::parameterText(VstInt32 opcode, VstInt32 index) const {
  if (index < 0 || index >= record_.numParams) return "";
  const ParamID id = visible_[index];
  if (opcode == effGetParamDisplay) {
    String128 text = {0};
    if (controller_->getParamStringByValue(id, controller_->getParamNormalized(id), text) !=
        kResultOk)
      return "";
    return utf8(text, 128);
  }
  for (int32_t i = 0; i < controller_->getParameterCount(); ++i) {
    ParameterInfo info{};
    if (controller_->getParameterInfo(i, info) != kResultOk || info.id != id) continue;
    if (opcode == effGetParamLabel) return utf8(info.units, 128);
    return utf8(info.title[0] ? info.title : info.shortTitle, 128);
  }
  return "";
}

VstInt32 Effect::currentProgram() const {
  if (!hasProgramParam_) return 0;
  const double value = controller_->getParamNormalized(programParam_);
  return static_cast<VstInt32>(std::lround(value * programSteps_));
}

void Effect::setProgram(VstIntPtr program) {
  if (!hasProgramParam_ || program < 0 || program >= record_.numPrograms) return;
  const double value = programSteps_ > 0 ? static_cast<double>(program) / programSteps_ : 0;
  controller_->setParamNormalized(programParam_, value);
  dropPending();
  Pending& slot = pending_[visible_.size()];
  slot.value.store(static_cast<float>(value), std::memory_order_relaxed);
  slot.set.store(true, std::memory_order_release);
}

void Effect::dropPending() {
  for (size_t i = 0; i <= visible_.size(); ++i)
    pending_[i].set.store(false, std::memory_order_relaxed);
}

std::string Effect::programName(VstInt32 program) const {
  String128 name = {0};
  if (units_ && programList_ != kNoProgramListId &&
      units_->getProgramName(programList_, program, name) == kResultOk)
    return utf8(name, 128);
  // Without a program list the program parameter's own texts name them.
  if (hasProgramParam_ && programSteps_ > 0 &&
      controller_->getParamStringByValue(programParam_, double(program) / programSteps_, name) ==
          kResultOk)
    return utf8(name, 128);
  return "";
}

// --- state ---

// A VST 3 state is the whole of it: the bank. There is no program chunk to give or take.
VstIntPtr Effect::getChunk(VstInt32 index, void** data) {
  if (!data) return 0;
  *data = nullptr;
  if (index != 0) return 0;
  chunk_.clear();
  if (component_->getState(&chunk_) != kResultOk || chunk_.bytes().empty()) return 0;
  *data = const_cast<uint8_t*>(chunk_.bytes().data());
  return static_cast<VstIntPtr>(chunk_.bytes().size());
}

VstIntPtr Effect::setChunk(VstInt32 index, VstIntPtr size, void* data) {
  if (index != 0 || size < 0 || (size > 0 && !data)) return 0;
  MemoryStream stream(static_cast<const uint8_t*>(data), static_cast<size_t>(size));
  const bool taken = component_->setState(&stream) == kResultOk;
  if (taken && separateController_) {
    stream.seek(0, kIBSeekSet, nullptr);
    controller_->setComponentState(&stream);
  }
  if (taken) dropPending();
  return taken ? 1 : 0;
}

// --- edits from the plug-in ---

tresult Effect::beginEdit(ParamID id) {
  const int index = indexOf(id);
  if (index >= 0) host(audioMasterBeginEdit, index);
  return kResultOk;
}

tresult Effect::performEdit(ParamID id, ParamValue valueNormalized) {
  const int index = indexOf(id);
  if (index < 0) return kResultOk;
  // The processor hears of the edit with the next block, after anything the host set before it.
  const float value = static_cast<float>(valueNormalized);
  pending_[index].value.store(value, std::memory_order_relaxed);
  pending_[index].set.store(true, std::memory_order_release);
  host(audioMasterAutomate, index, 0, nullptr, value);
  return kResultOk;
}

tresult Effect::endEdit(ParamID id) {
  const int index = indexOf(id);
  if (index >= 0) host(audioMasterEndEdit, index);
  return kResultOk;
}

tresult Effect::restartComponent(int32_t flags) {
  if (flags & kLatencyChanged) {
    record_.initialDelay = static_cast<VstInt32>(processor_->getLatencySamples());
    host(audioMasterIOChanged);
  }
  if (flags & (kParamValuesChanged | kParamTitlesChanged)) host(audioMasterUpdateDisplay);
  return kResultOk;
}

// --- lifecycle ---

void Effect::setActive(bool active) {
  if (active == active_) return;
  if (active) {
    // A VST 2.4 host that says it renders offline is a VST 3 host in the offline process mode.
    constexpr VstIntPtr kProcessLevelOffline = 4;
    processMode_ =
        host(audioMasterGetCurrentProcessLevel) == kProcessLevelOffline ? kOffline : kRealtime;
    ProcessSetup setup{processMode_, sampleSize_, maxBlock_, sampleRate_};
    processor_->setupProcessing(setup);
    // Only a new block size makes new buffers: a switch of sample size, set up again inside a
    // process call, allocates nothing here.
    if (scratch_.size() != static_cast<size_t>(outputChannels_) ||
        (outputChannels_ > 0 && scratch_[0].size() != static_cast<size_t>(maxBlock_))) {
      scratch_.assign(outputChannels_, std::vector<float>(maxBlock_, 0.0f));
      scratchPointers_.assign(std::max(outputChannels_, 1), nullptr);
      for (int32_t c = 0; c < outputChannels_; ++c) scratchPointers_[c] = scratch_[c].data();
    }
  }
  component_->setActive(active);
  active_ = active;
  if (active) record_.initialDelay = static_cast<VstInt32>(processor_->getLatencySamples());
}

void Effect::setProcessing(bool processing) {
  if (processing == processing_ || (processing && !active_)) return;
  processor_->setProcessing(processing);
  processing_ = processing;
}

void Effect::setUpAgain() {
  if (!active_) return;
  const bool processing = processing_;
  setProcessing(false);
  setActive(false);
  setActive(true);
  setProcessing(processing);
}

// --- audio ---

void Effect::takeEvents(const VstEvents* events) {
  if (!events || !midiMapping_) return;
  for (VstInt32 i = 0; i < events->numEvents && eventCount_ < kMaxEvents; ++i) {
    const VstEvent* event = events->events[i];
    if (!event || event->type != kVstMidiType) continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    const auto status = static_cast<uint8_t>(midi->midiData[0]);
    const auto data1 = static_cast<uint8_t>(midi->midiData[1]) & 0x7F;
    const auto data2 = static_cast<uint8_t>(midi->midiData[2]) & 0x7F;
    Controller controller{std::max(event->deltaFrames, 0), static_cast<int16_t>(status & 0x0F), 0,
                          0};
    switch (status & 0xF0) {
      case 0xB0:
        controller.number = static_cast<CtrlNumber>(data1);
        controller.value = data2 / 127.0;
        break;
      case 0xD0:
        controller.number = kChannelPressure;
        controller.value = data1 / 127.0;
        break;
      case 0xE0:
        controller.number = kPitchBend;
        controller.value = ((data2 << 7) | data1) / 16383.0;
        break;
      default:
        continue;  // notes and the rest: this host sends the plug-in no events
    }
    events_[eventCount_++] = controller;
  }
}

void Effect::fillContext() {
  const auto* time = reinterpret_cast<const VstTimeInfo*>(
      host(audioMasterGetTime, 0,
           kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
               kVstTimeSigValid));
  std::memset(&context_, 0, sizeof context_);
  context_.sampleRate = sampleRate_;
  if (!time) return;
  const VstInt32 flags = time->flags;
  context_.projectTimeSamples = static_cast<int64_t>(time->samplePos);
  context_.continousTimeSamples = context_.projectTimeSamples;
  uint32_t state = ProcessContext::kContTimeValid;
  if (flags & kVstTransportPlaying) state |= ProcessContext::kPlaying;
  if (flags & kVstTransportCycleActive) state |= ProcessContext::kCycleActive;
  if (flags & kVstTransportRecording) state |= ProcessContext::kRecording;
  if (flags & kVstNanosValid) {
    state |= ProcessContext::kSystemTimeValid;
    context_.systemTime = static_cast<int64_t>(time->nanoSeconds);
  }
  if (flags & kVstPpqPosValid) {
    state |= ProcessContext::kProjectTimeMusicValid;
    context_.projectTimeMusic = time->ppqPos;
  }
  if (flags & kVstTempoValid) {
    state |= ProcessContext::kTempoValid;
    context_.tempo = time->tempo;
  }
  if (flags & kVstBarsValid) {
    state |= ProcessContext::kBarPositionValid;
    context_.barPositionMusic = time->barStartPos;
  }
  if (flags & kVstCyclePosValid) {
    state |= ProcessContext::kCycleValid;
    context_.cycleStartMusic = time->cycleStartPos;
    context_.cycleEndMusic = time->cycleEndPos;
  }
  if (flags & kVstTimeSigValid) {
    state |= ProcessContext::kTimeSigValid;
    context_.timeSigNumerator = time->timeSigNumerator;
    context_.timeSigDenominator = time->timeSigDenominator;
  }
  context_.state = state;
}

void Effect::reportOutputChanges() {
  for (int32_t q = 0; q < outputChanges_.getParameterCount(); ++q) {
    const ParamQueue& queue = outputChanges_.queue(q);
    const int index = indexOf(queue.id());
    if (index >= 0 && queue.count() > 0)
      host(audioMasterAutomate, index, 0, nullptr, static_cast<float>(queue.lastValue()));
  }
}

template <typename Sample>
void Effect::process(Sample** inputs, Sample** outputs, VstInt32 frames) {
  if (frames <= 0) return;
  const int32_t size = sizeof(Sample) == sizeof(double) ? kSample64 : kSample32;
  if (size != sampleSize_) {
    // A VST 2.4 host may switch entries at any call; a VST 3 plug-in is set up for one size.
    sampleSize_ = size;
    setUpAgain();
  }
  if (!active_ || !processing_) {
    // A VST 3 plug-in processes only while active: until then the host gets silence.
    for (int32_t c = 0; c < outputChannels_; ++c)
      std::fill(outputs[c], outputs[c] + frames, Sample(0));
    eventCount_ = 0;
    return;
  }
  fillContext();
  // Longer than announced: in pieces the plug-in was set up for.
  for (VstInt32 done = 0; done < frames;) {
    const VstInt32 piece = std::min(frames - done, maxBlock_);
    processSegment(inputs, outputs, done, piece, done + piece >= frames);
    done += piece;
  }
  eventCount_ = 0;
}

template <typename Sample>
void Effect::processSegment(Sample** inputs, Sample** outputs, VstInt32 offset, VstInt32 frames,
                            bool last) {
  inputChanges_.clear();
  outputChanges_.clear();
  if (offset == 0) {
    // What the host set since the last block, at its start; a program first, so that values
    // set after it stay.
    Pending& program = pending_[visible_.size()];
    if (program.set.exchange(false, std::memory_order_acquire))
      inputChanges_.add(programParam_, 0, program.value.load(std::memory_order_relaxed));
    for (size_t i = 0; i < visible_.size(); ++i) {
      if (pending_[i].set.exchange(false, std::memory_order_acquire))
        inputChanges_.add(visible_[i], 0, pending_[i].value.load(std::memory_order_relaxed));
    }
  }
  for (int e = 0; e < eventCount_; ++e) {
    const Controller& event = events_[e];
    const bool here = event.offset >= offset && (event.offset < offset + frames || last);
    ParamID id = 0;
    if (!here ||
        midiMapping_->getMidiControllerAssignment(0, event.channel, event.number, id) != kResultOk)
      continue;
    inputChanges_.add(id, std::min(event.offset - offset, frames - 1), event.value);
  }

  for (int32_t c = 0; c < inputChannels_; ++c) inPointers_[c] = inputs[c] + offset;
  for (int32_t c = 0; c < outputChannels_; ++c) outPointers_[c] = outputs[c] + offset;
  AudioBusBuffers in{}, out{};
  in.numChannels = inputChannels_;
  out.numChannels = outputChannels_;
  in.channelBuffers32 = reinterpret_cast<float**>(inPointers_);
  out.channelBuffers32 = reinterpret_cast<float**>(outPointers_);
  ProcessData data{};
  data.processMode = processMode_;
  data.symbolicSampleSize = sampleSize_;
  data.numSamples = frames;
  data.numInputs = inputBuses_;
  data.numOutputs = outputBuses_;
  data.inputs = &in;
  data.outputs = &out;
  data.inputParameterChanges = &inputChanges_;
  data.outputParameterChanges = &outputChanges_;
  data.inputEvents = &inputEvents_;
  data.outputEvents = &outputEvents_;
  data.processContext = &context_;
  if (offset > 0) {
    context_.projectTimeSamples += offset;
    context_.continousTimeSamples += offset;
  }
  processor_->process(data);
  if (offset > 0) {
    context_.projectTimeSamples -= offset;
    context_.continousTimeSamples -= offset;
  }
  reportOutputChanges();
}

// --- editor ---

bool Effect::ensureView() {
  if (view_) return true;
  view_ = controller_->createView(kEditorViewType);
  if (!view_) return false;
  if (scale_ > 0) {
    if (auto* scaling =
            query<IPlugViewContentScaleSupport>(view_, kIPlugViewContentScaleSupportIid)) {
      scaling->setContentScaleFactor(scale_);
      scaling->release();
    }
  }
  return true;
}

VstIntPtr Effect::editorRect(void* ptr) {
  if (!ptr || !(record_.flags & effFlagsHasEditor) || !ensureView()) return 0;
  ViewRect size{};
  if (view_->getSize(&size) != kResultOk) return 0;
  rect_.left = static_cast<int16_t>(size.left);
  rect_.top = static_cast<int16_t>(size.top);
  rect_.right = static_cast<int16_t>(size.right);
  rect_.bottom = static_cast<int16_t>(size.bottom);
  *static_cast<ERect**>(ptr) = &rect_;
  return 1;
}

VstIntPtr Effect::openEditor(void* parent) {
  if (attached_ || !(record_.flags & effFlagsHasEditor) || !ensureView()) return 0;
  view_->setFrame(&frame_);
  attached_ = view_->attached(parent, kPlatformType) == kResultOk;
  if (attached_) return 1;
  closeEditor();
  return 0;
}

void Effect::closeEditor() {
  if (!view_) return;
  if (attached_) view_->removed();
  attached_ = false;
  view_->setFrame(nullptr);
  frame_.forget();
  view_->release();
  view_ = nullptr;
}

VstIntPtr Effect::setScale(float factor) {
  if (!(factor > 0)) return 0;
  scale_ = factor;
  if (!(record_.flags & effFlagsHasEditor) || !ensureView()) return 0;
  auto* scaling = query<IPlugViewContentScaleSupport>(view_, kIPlugViewContentScaleSupportIid);
  if (!scaling) return 0;
  const bool taken = scaling->setContentScaleFactor(factor) == kResultOk;
  scaling->release();
  return taken ? 1 : 0;
}

bool Effect::resizeWindow(int width, int height) {
  return host(audioMasterSizeWindow, width, height) == 1;
}

}  // namespace vst3host
