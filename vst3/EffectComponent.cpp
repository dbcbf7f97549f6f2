#include "vst3/EffectComponent.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/CpuFeatures.h"
#include "platform/Threads.h"
#include "plugcore/AEffEditor.h"
#include "plugcore/Plug.h"
#include "plugcore/PluginEntry.h"
#include "vst3/ControllerState.h"
#include "vst3/EditorView.h"
#include "vst3/ParameterLayout.h"
#include "vst3/Vst3Text.h"

namespace Vst3Glue {

using namespace Vst3;

const Uid EffectComponent::kClassId = makeUid(0xA601B516, 0x0FDA43AE, 0xB75FDC85, 0x1DBA598F);

namespace {

// The effect calls its host while it is being built, before its record can point back to us.
thread_local EffectComponent* constructing = nullptr;

constexpr VstInt32 kHostVersion = 2400;
constexpr size_t kMaxStateBytes = 64u << 20;

double clampNormalized(double value) { return value >= 0.0 ? std::min(value, 1.0) : 0.0; }

// A number at the start of a text, as the effect prints them ("+2.00", "1000", "-20.00").
bool leadingNumber(const char* text, double& number) {
  while (*text == ' ') ++text;
  if (*text == '+') ++text;
  const char* end = text + std::strlen(text);
  return std::from_chars(text, end, number).ec == std::errc();
}

bool sameWord(const char* a, const char* b) {
  while (*a == ' ') ++a;
  size_t n = std::strlen(b);
  if (std::strlen(a) < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return a[n] == 0 || a[n] == ' ';
}

template <typename Sample>
Sample* scratchFor(std::vector<float>& floats, std::vector<double>& doubles);
template <>
float* scratchFor<float>(std::vector<float>& floats, std::vector<double>&) {
  return floats.data();
}
template <>
double* scratchFor<double>(std::vector<float>&, std::vector<double>& doubles) {
  return doubles.data();
}

}  // namespace

EffectComponent::EffectComponent() = default;

EffectComponent::~EffectComponent() {
  if (effect) dispatch(effClose);
  if (handler) handler->release();
}

// ---- FUnknown ----------------------------------------------------------------------------------

tresult EffectComponent::queryInterface(const TUID iid, void** object) {
  if (!object) return kInvalidArgument;
  if (sameUid(iid, kFUnknownIid) || sameUid(iid, kIPluginBaseIid) || sameUid(iid, kIComponentIid))
    *object = static_cast<IComponent*>(this);
  else if (sameUid(iid, kIAudioProcessorIid))
    *object = static_cast<IAudioProcessor*>(this);
  else if (sameUid(iid, kIEditControllerIid))
    *object = static_cast<IEditController*>(this);
  else if (sameUid(iid, kIMidiMappingIid))
    *object = static_cast<IMidiMapping*>(this);
  else if (sameUid(iid, kIUnitInfoIid))
    *object = static_cast<IUnitInfo*>(this);
  else if (sameUid(iid, kIProcessContextRequirementsIid))
    *object = static_cast<IProcessContextRequirements*>(this);
  else {
    *object = nullptr;
    return kNoInterface;
  }
  addRef();
  return kResultOk;
}

uint32_t EffectComponent::addRef() { return ++references; }

uint32_t EffectComponent::release() {
  const uint32_t left = --references;
  if (left == 0) delete this;
  return left;
}

// ---- The effect inside -------------------------------------------------------------------------

PlugCore::Plug& EffectComponent::plug() const {
  return *static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(effect->object));
}

int32_t EffectComponent::effectParams() const { return effect ? effect->numParams : 0; }
int32_t EffectComponent::programCount() const { return effect ? effect->numPrograms : 0; }
bool EffectComponent::hasEditor() const { return effect && (effect->flags & effFlagsHasEditor); }

VstIntPtr EffectComponent::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt) {
  return effect ? effect->dispatcher(effect, opcode, index, value, ptr, opt) : 0;
}

bool EffectComponent::editorResized(int32_t width, int32_t height) {
  AEffEditor* editor = effect ? plug().getEditor() : nullptr;
  return editor && editor->hostResized(width, height);
}

int EffectComponent::editorEventDescriptor() {
  AEffEditor* editor = effect ? plug().getEditor() : nullptr;
  return editor ? editor->eventDescriptor() : -1;
}

float EffectComponent::effectValue(int32_t index) const {
  return effect->getParameter(effect, index);
}

bool EffectComponent::onAudioThread() const {
  return processingThread.load(std::memory_order_relaxed) == Platform::currentThreadId();
}

void EffectComponent::notifyHost(int32_t restartFlags) {
  if (handler && !onAudioThread()) handler->restartComponent(restartFlags);
}

VstIntPtr EffectComponent::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                        VstIntPtr value, void* ptr, float opt) {
  if (opcode == audioMasterVersion) return kHostVersion;
  EffectComponent* self =
      effect && effect->resvd1 ? reinterpret_cast<EffectComponent*>(effect->resvd1) : constructing;
  return self ? self->answerEffect(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr EffectComponent::answerEffect(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                        float opt) {
  // From the audio thread the host hears of changes through the call's output changes; of a state
  // or a program the glue loads, through one restart afterwards.
  const bool audio = onAudioThread();
  const bool quiet = audio || quietDepth.load() > 0;
  const bool validParam = effect && index >= 0 && index < effectParams();
  switch (opcode) {
    case audioMasterAutomate:
      if (quiet || !validParam || !handler) return 0;
      reported[index] = opt;
      if (editing[index]) {
        handler->performEdit(static_cast<ParamID>(index), opt);
      } else {
        // An edit outside a gesture (a loaded default, say) is still a gesture to the host.
        handler->beginEdit(static_cast<ParamID>(index));
        handler->performEdit(static_cast<ParamID>(index), opt);
        handler->endEdit(static_cast<ParamID>(index));
      }
      return 0;
    case audioMasterBeginEdit:
      if (quiet || !validParam || !handler) return 0;
      editing[index] = true;
      return handler->beginEdit(static_cast<ParamID>(index)) == kResultOk ? 1 : 0;
    case audioMasterEndEdit:
      if (quiet || !validParam || !handler) return 0;
      editing[index] = false;
      return handler->endEdit(static_cast<ParamID>(index)) == kResultOk ? 1 : 0;
    case audioMasterGetTime:
      return audio && timeInfoValid ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(sampleRate);
    case audioMasterGetBlockSize:
      return maxBlock;
    case audioMasterGetCurrentProcessLevel:
      if (offline) return 4;  // the effect renders in its offline quality
      return audio ? 2 : 1;
    case audioMasterSizeWindow: {
      EditorView* view = attachedView.load();
      return view && view->requestSize(index, static_cast<int32_t>(value)) ? 1 : 0;
    }
    case audioMasterUpdateDisplay:
      notifyHost(kParamValuesChanged);
      return 1;
    case audioMasterCanDo: {
      const char* text = static_cast<const char*>(ptr);
      if (!text) return 0;
      return std::strcmp(text, "sizeWindow") == 0 || std::strcmp(text, "sendVstTimeInfo") == 0 ||
                     std::strcmp(text, "sendVstEvents") == 0 ||
                     std::strcmp(text, "sendVstMidiEvent") == 0
                 ? 1
                 : 0;
    }
    default:
      return 0;
  }
}

// ---- IPluginBase -------------------------------------------------------------------------------

tresult EffectComponent::initialize(FUnknown*) {
  if (initialisations > 0) {
    ++initialisations;
    return kResultOk;
  }
  constructing = this;
  effect = PlugCore::pluginMain(&EffectComponent::hostCallback, Platform::cpuHasSse2());
  constructing = nullptr;
  if (!effect) return kResultFalse;
  effect->resvd1 = reinterpret_cast<VstIntPtr>(this);
  // A VST 3 host resizes the view's window first and then tells the view; on X11 it embeds the
  // window by XEmbed.
  if (AEffEditor* editor = plug().getEditor()) {
    editor->letHostSizeWindow();
    editor->letHostEmbedWindow();
  }
  dispatch(effOpen);
  const int32_t count = effectParams();
  reported.reset(new std::atomic<float>[count]);
  editing.reset(new std::atomic<bool>[count]);
  switches.assign(count, false);
  startValues.assign(count, 0.0f);
  for (int32_t i = 0; i < count; ++i) {
    reported[i] = startValues[i] = effectValue(i);
    editing[i] = false;
    // A switch shows one of two words over its whole range, where the others show numbers.
    char low[256] = {}, high[256] = {};
    plug().formatParameter(i, low, 0.0f);
    plug().formatParameter(i, high, 1.0f);
    double number = 0.0;
    switches[i] = !leadingNumber(low, number) && !leadingNumber(high, number);
  }
  reportedProgram = static_cast<int32_t>(dispatch(effGetProgram));
  ++initialisations;
  return kResultOk;
}

tresult EffectComponent::terminate() {
  if (initialisations == 0) return kResultOk;
  if (--initialisations > 0) return kResultOk;
  if (effect) {
    if (active) dispatch(effMainsChanged, 0, 0);
    active = false;
    dispatch(effClose);  // closes an editor still open, too
    effect = nullptr;
  }
  if (handler) handler->release();
  handler = nullptr;
  return kResultOk;
}

// ---- IComponent --------------------------------------------------------------------------------

tresult EffectComponent::getControllerClassId(TUID) { return kResultFalse; }

tresult EffectComponent::setIoMode(int32_t) { return kResultOk; }

int32_t EffectComponent::getBusCount(int32_t type, int32_t dir) {
  if (type == kAudio) return 1;
  if (type == kEvent && dir == kInput) return 1;
  return 0;
}

tresult EffectComponent::getBusInfo(int32_t type, int32_t dir, int32_t index, BusInfo& bus) {
  if (index != 0 || index >= getBusCount(type, dir)) return kInvalidArgument;
  std::memset(&bus, 0, sizeof bus);
  bus.mediaType = type;
  bus.direction = dir;
  bus.busType = kMain;
  bus.flags = BusInfo::kDefaultActive;
  if (type == kAudio) {
    bus.channelCount = 2;
    copyText(bus.name, dir == kInput ? "Stereo In" : "Stereo Out");
  } else {
    bus.channelCount = 16;
    copyText(bus.name, "MIDI In");
  }
  return kResultOk;
}

tresult EffectComponent::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult EffectComponent::activateBus(int32_t type, int32_t dir, int32_t index, TBool) {
  return index == 0 && index < getBusCount(type, dir) ? kResultOk : kInvalidArgument;
}

tresult EffectComponent::setActive(TBool state) {
  if (!effect) return kNotInitialized;
  const bool wanted = state != 0;
  if (wanted != active) dispatch(effMainsChanged, 0, wanted ? 1 : 0);
  active = wanted;
  return kResultOk;
}

tresult EffectComponent::loadState(IBStream* state) {
  if (!effect || !state) return kInvalidArgument;
  std::vector<uint8_t> bytes;
  uint8_t piece[65536];
  for (;;) {
    int32_t got = 0;
    if (state->read(piece, sizeof piece, &got) != kResultOk || got <= 0) break;
    // A stream that says it read more than it was asked for is broken; its count is not believed.
    if (got > static_cast<int32_t>(sizeof piece)) return kResultFalse;
    if (bytes.size() + static_cast<size_t>(got) > kMaxStateBytes) return kResultFalse;
    bytes.insert(bytes.end(), piece, piece + got);
  }
  // An empty state is no state: the reader would only tell the user that it is damaged.
  if (bytes.empty()) return kResultFalse;
  VstIntPtr taken = 0;
  {
    // The values of a state arrive as one change: the host reads them afterwards, and hears of
    // no edit (it would echo every program's values back, or record them).
    Quiet quiet(*this);
    taken = dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bytes.size()), bytes.data());
  }
  if (!taken) return kResultFalse;  // refused whole: nothing changed
  for (int32_t i = 0; i < effectParams(); ++i) reported[i] = effectValue(i);
  reportedProgram = static_cast<int32_t>(dispatch(effGetProgram));
  notifyHost(kParamValuesChanged);
  return kResultOk;
}

tresult EffectComponent::saveState(IBStream* state) {
  if (!effect || !state) return kInvalidArgument;
  void* data = nullptr;
  const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
  if (size <= 0 || !data) return kResultFalse;
  const char* bytes = static_cast<const char*>(data);
  VstIntPtr done = 0;
  while (done < size) {
    int32_t written = 0;
    const int32_t piece = static_cast<int32_t>(std::min<VstIntPtr>(size - done, 1 << 30));
    if (state->write(const_cast<char*>(bytes + done), piece, &written) != kResultOk || written <= 0)
      return kResultFalse;
    done += written;
  }
  return kResultOk;
}

// ---- IAudioProcessor ---------------------------------------------------------------------------

tresult EffectComponent::setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                            SpeakerArrangement* outputs, int32_t numOuts) {
  const bool stereo = numIns == 1 && numOuts == 1 && inputs && outputs && inputs[0] == kStereo &&
                      outputs[0] == kStereo;
  return stereo ? kResultTrue : kResultFalse;
}

tresult EffectComponent::getBusArrangement(int32_t, int32_t index, SpeakerArrangement& arr) {
  if (index != 0) return kInvalidArgument;
  arr = kStereo;
  return kResultOk;
}

tresult EffectComponent::canProcessSampleSize(int32_t size) {
  return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
}

uint32_t EffectComponent::getLatencySamples() {
  return effect ? static_cast<uint32_t>(std::max(effect->initialDelay, 0)) : 0;
}

// The effect's VST 2.4 answer, where 1 is no tail and the largest value one without end.
uint32_t EffectComponent::getTailSamples() {
  const VstIntPtr samples = dispatch(effGetTailSize);
  if (samples <= AudioEffectX::kNoTail) return kNoTail;
  if (samples >= AudioEffectX::kEndlessTail) return kInfiniteTail;
  return static_cast<uint32_t>(samples);
}

tresult EffectComponent::setupProcessing(ProcessSetup& setup) {
  if (!effect) return kNotInitialized;
  const bool rateOk =
      std::isfinite(setup.sampleRate) && setup.sampleRate >= 1.0 && setup.sampleRate <= 10000000.0;
  const bool blockOk = setup.maxSamplesPerBlock > 0 && setup.maxSamplesPerBlock <= (1 << 20);
  if (!rateOk || !blockOk || canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
    return kInvalidArgument;
  sampleRate = setup.sampleRate;
  maxBlock = setup.maxSamplesPerBlock;
  offline = setup.processMode == kOffline;
  // The effect takes these only while suspended.
  if (active) dispatch(effMainsChanged, 0, 0);
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  dispatch(effSetBlockSize, 0, maxBlock);
  if (active) dispatch(effMainsChanged, 0, 1);
  const size_t samples = static_cast<size_t>(maxBlock);
  copy32.assign(2 * samples, 0.0f);
  copy64.assign(2 * samples, 0.0);
  silence32.assign(samples, 0.0f);
  silence64.assign(samples, 0.0);
  bypass.setSampleRate(sampleRate);
  return kResultOk;
}

tresult EffectComponent::setProcessing(TBool) { return effect ? kResultOk : kNotInitialized; }

uint32_t EffectComponent::getProcessContextRequirements() {
  return IProcessContextRequirements::kNeedTempo |
         IProcessContextRequirements::kNeedProjectTimeMusic |
         IProcessContextRequirements::kNeedTransportState;
}

tresult EffectComponent::process(ProcessData& data) {
  if (!effect || copy32.empty()) return kNotInitialized;
  if (data.numSamples < 0) return kInvalidArgument;
  // Calls back from the effect on this thread are audio-thread calls until the call ends.
  processingThread = Platform::currentThreadId();
  if (data.symbolicSampleSize == kSample64)
    processSamples<double>(data);
  else
    processSamples<float>(data);
  reportValueChanges(data.outputParameterChanges);
  processingThread = 0;
  return kResultOk;
}

template <typename Sample>
void EffectComponent::processSamples(ProcessData& data) {
  const int32_t frames = data.numSamples;
  changes.collect(data.inputParameterChanges, frames);
  int32_t next = 0;

  auto channels = [](AudioBusBuffers* buses, int32_t count) -> Sample** {
    if (count < 1 || !buses || buses[0].numChannels < 2) return nullptr;
    Sample** buffers = reinterpret_cast<Sample**>(buses[0].channelBuffers32);
    return buffers && buffers[0] && buffers[1] ? buffers : nullptr;
  };
  Sample** outputs = channels(data.outputs, data.numOutputs);
  Sample** inputs = channels(data.inputs, data.numInputs);
  if (!outputs || frames == 0) {
    // Nothing to play: the parameters still move (hosts flush them with empty calls).
    eventList.numEvents = 0;
    while (next < changes.count()) applyChange(changes[next++], 0);
    // An output the effect cannot fill (not stereo) is silent rather than left as it was.
    if (data.numOutputs > 0 && data.outputs && data.outputs[0].channelBuffers32) {
      Sample** buffers = reinterpret_cast<Sample**>(data.outputs[0].channelBuffers32);
      for (int32_t c = 0; c < data.outputs[0].numChannels; ++c)
        if (buffers[c]) std::fill(buffers[c], buffers[c] + frames, Sample(0));
    }
    return;
  }
  data.outputs[0].silenceFlags = 0;
  Sample* silence = scratchFor<Sample>(silence32, silence64);
  Sample* copy = scratchFor<Sample>(copy32, copy64);

  for (int32_t position = 0; position < frames;) {
    eventList.numEvents = 0;
    while (next < changes.count() && changes[next].offset <= position)
      applyChange(changes[next++], position);
    int32_t end = next < changes.count() ? changes[next].offset : frames;
    end = std::min(end, position + maxBlock);
    const int32_t length = end - position;

    Sample* in[2] = {inputs ? inputs[0] + position : silence,
                     inputs ? inputs[1] + position : silence};
    Sample* out[2] = {outputs[0] + position, outputs[1] + position};
    bypass.setTarget(bypassRequested.load(std::memory_order_relaxed));
    const bool mixDry = !bypass.isIdle();
    const bool shared = in[0] == out[0] || in[0] == out[1] || in[1] == out[0] || in[1] == out[1];
    if (mixDry || shared) {
      // The effect writes its output over a shared input; bypass needs the input afterwards.
      std::copy(in[0], in[0] + length, copy);
      std::copy(in[1], in[1] + length, copy + maxBlock);
      in[0] = copy;
      in[1] = copy + maxBlock;
    }
    fillTimeInfo(data.processContext, position);
    if (eventList.numEvents > 0) dispatch(effProcessEvents, 0, 0, &eventList);
    runEffect(in, out, length);
    if (mixDry) {
      const Sample* const dry[2] = {in[0], in[1]};
      bypass.apply(out, dry, 2, length);
    }
    position = end;
  }
}

template <>
void EffectComponent::runEffect<float>(float** inputs, float** outputs, int32_t frames) {
  effect->processReplacing(effect, inputs, outputs, frames);
}

template <>
void EffectComponent::runEffect<double>(double** inputs, double** outputs, int32_t frames) {
  effect->processDoubleReplacing(effect, inputs, outputs, frames);
}

void EffectComponent::applyChange(const ParameterChange& change, int32_t segmentStart) {
  const double value = clampNormalized(change.value);
  const ParamTarget target = targetOf(change.id, effectParams());
  switch (target.kind) {
    case ParamTarget::kEffect:
      effect->setParameter(effect, target.index, static_cast<float>(value));
      reported[target.index] = effectValue(target.index);
      break;
    case ParamTarget::kBypass:
      bypassRequested = value >= 0.5;
      break;
    case ParamTarget::kProgram: {
      const int32_t program = static_cast<int32_t>(std::lround(value * (programCount() - 1)));
      if (program != dispatch(effGetProgram)) dispatch(effSetProgram, 0, program);
      break;
    }
    case ParamTarget::kController: {
      if (eventList.numEvents >= kMaxEvents) break;
      VstMidiEvent& event = midiEvents[eventList.numEvents];
      std::memset(&event, 0, sizeof event);
      event.type = kVstMidiType;
      event.byteSize = sizeof event;
      event.deltaFrames = change.offset - segmentStart;
      event.midiData[0] = static_cast<char>(0xB0);
      event.midiData[1] = static_cast<char>(target.index);
      event.midiData[2] = static_cast<char>(std::lround(value * 127.0));
      eventList.events[eventList.numEvents++] = reinterpret_cast<VstEvent*>(&event);
      break;
    }
    case ParamTarget::kNone:
      break;
  }
}

// Values the effect changed by itself (a learnt controller, a program) reach the host as the
// call's output changes.
void EffectComponent::reportValueChanges(IParameterChanges* out) {
  auto tell = [out](ParamID id, double value) {
    if (!out) return;
    int32_t index = 0;
    if (IParamValueQueue* queue = out->addParameterData(id, index))
      queue->addPoint(0, value, index);
  };
  for (int32_t i = 0; i < effectParams(); ++i) {
    const float value = effectValue(i);
    if (value == reported[i].load(std::memory_order_relaxed)) continue;
    reported[i] = value;
    tell(static_cast<ParamID>(i), getParamNormalized(static_cast<ParamID>(i)));
  }
  const int32_t program = static_cast<int32_t>(dispatch(effGetProgram));
  if (program != reportedProgram.load(std::memory_order_relaxed)) {
    reportedProgram = program;
    tell(kProgramId, getParamNormalized(kProgramId));
  }
}

void EffectComponent::fillTimeInfo(const ProcessContext* context, int32_t offset) {
  timeInfoValid = context != nullptr;
  if (!context) return;
  VstTimeInfo& t = timeInfo;
  std::memset(&t, 0, sizeof t);
  t.sampleRate = context->sampleRate > 0.0 ? context->sampleRate : sampleRate;
  t.samplePos = static_cast<double>(context->projectTimeSamples + offset);
  const uint32_t state = context->state;
  if (state & ProcessContext::kPlaying) t.flags |= kVstTransportPlaying;
  if (state & ProcessContext::kRecording) t.flags |= kVstTransportRecording;
  if (state & ProcessContext::kCycleActive) t.flags |= kVstTransportCycleActive;
  const bool tempoValid = (state & ProcessContext::kTempoValid) && context->tempo > 0.0;
  if (tempoValid) {
    t.tempo = context->tempo;
    t.flags |= kVstTempoValid;
  }
  if (state & ProcessContext::kProjectTimeMusicValid) {
    // The position is the call's start; a later stretch of the call is that far on.
    t.ppqPos = context->projectTimeMusic;
    if (tempoValid && offset > 0) t.ppqPos += offset * context->tempo / (60.0 * t.sampleRate);
    t.flags |= kVstPpqPosValid;
  }
  if (state & ProcessContext::kBarPositionValid) {
    t.barStartPos = context->barPositionMusic;
    t.flags |= kVstBarsValid;
  }
  if (state & ProcessContext::kCycleValid) {
    t.cycleStartPos = context->cycleStartMusic;
    t.cycleEndPos = context->cycleEndMusic;
    t.flags |= kVstCyclePosValid;
  }
  if (state & ProcessContext::kTimeSigValid) {
    t.timeSigNumerator = context->timeSigNumerator;
    t.timeSigDenominator = context->timeSigDenominator;
    t.flags |= kVstTimeSigValid;
  }
  if (state & ProcessContext::kSystemTimeValid) {
    t.nanoSeconds = static_cast<double>(context->systemTime);
    t.flags |= kVstNanosValid;
  }
}

// ---- IEditController ---------------------------------------------------------------------------

// The component's state is the controller's values already: nothing more to read.
tresult EffectComponent::setComponentState(IBStream*) { return kResultOk; }

tresult EffectComponent::setControllerState(IBStream* state) {
  if (!effect) return kNotInitialized;
  if (!state) return kInvalidArgument;
  uint8_t bytes[64];
  int32_t size = 0;
  while (size < static_cast<int32_t>(sizeof bytes)) {
    int32_t got = 0;
    if (state->read(bytes + size, static_cast<int32_t>(sizeof bytes) - size, &got) != kResultOk ||
        got <= 0)
      break;
    if (got > static_cast<int32_t>(sizeof bytes) - size) return kResultFalse;
    size += got;
  }
  // Sessions saved before bypass was kept here hold nothing: bypass stays as it is.
  if (size == 0) return kResultOk;
  ControllerState stored;
  if (!stored.read(bytes, size)) return kResultFalse;
  if (stored.bypass != bypassRequested.exchange(stored.bypass)) notifyHost(kParamValuesChanged);
  return kResultOk;
}

tresult EffectComponent::getControllerState(IBStream* state) {
  if (!effect) return kNotInitialized;
  if (!state) return kInvalidArgument;
  ControllerState current;
  current.bypass = bypassRequested;
  uint8_t bytes[ControllerState::kSize];
  current.write(bytes);
  int32_t written = 0;
  if (state->write(bytes, sizeof bytes, &written) != kResultOk || written != sizeof bytes)
    return kResultFalse;
  return kResultOk;
}

int32_t EffectComponent::getParameterCount() { return effect ? parameterCount(effectParams()) : 0; }

bool EffectComponent::isStepped(ParamID id, int32_t& steps) const {
  const ParamTarget target = targetOf(id, effectParams());
  switch (target.kind) {
    case ParamTarget::kEffect:
      steps = switches[target.index] ? 1 : 0;
      return steps > 0;
    case ParamTarget::kBypass:
      steps = 1;
      return true;
    case ParamTarget::kProgram:
      steps = std::max(programCount() - 1, 1);
      return true;
    case ParamTarget::kController:
      steps = 127;
      return true;
    default:
      steps = 0;
      return false;
  }
}

tresult EffectComponent::getParameterInfo(int32_t position, ParameterInfo& info) {
  if (!effect || position < 0 || position >= getParameterCount()) return kInvalidArgument;
  std::memset(&info, 0, sizeof info);
  info.id = idAt(position, effectParams());
  info.unitId = kRootUnitId;
  isStepped(info.id, info.stepCount);
  const ParamTarget target = targetOf(info.id, effectParams());
  char text[256] = {};
  switch (target.kind) {
    case ParamTarget::kEffect:
      dispatch(effGetParamName, target.index, 0, text);
      copyText(info.title, text);
      copyText(info.shortTitle, text);
      std::memset(text, 0, sizeof text);
      dispatch(effGetParamLabel, target.index, 0, text);
      copyText(info.units, text);
      // What a new instance starts from (the factory preset, or the user's defaults): hosts show
      // this before they ask for any value, and reset to it.
      info.defaultNormalizedValue = startValues[target.index];
      info.flags = ParameterInfo::kCanAutomate;
      break;
    case ParamTarget::kBypass:
      copyText(info.title, "Bypass");
      copyText(info.shortTitle, "Bypass");
      info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass;
      break;
    case ParamTarget::kProgram:
      copyText(info.title, "Program");
      copyText(info.shortTitle, "Prog");
      info.flags =
          ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange;
      break;
    default:
      std::snprintf(text, sizeof text, "MIDI CC %d", static_cast<int>(target.index));
      copyText(info.title, text);
      copyText(info.shortTitle, text);
      info.flags = ParameterInfo::kIsHidden;
      break;
  }
  return kResultOk;
}

tresult EffectComponent::getParamStringByValue(ParamID id, ParamValue value, String128 string) {
  if (!effect || !string) return kInvalidArgument;
  value = clampNormalized(value);
  const ParamTarget target = targetOf(id, effectParams());
  char text[256] = {};
  switch (target.kind) {
    case ParamTarget::kEffect:
      plug().formatParameter(target.index, text, static_cast<float>(value));
      break;
    case ParamTarget::kBypass:
      std::strcpy(text, value >= 0.5 ? "On" : "Off");
      break;
    case ParamTarget::kProgram:
      dispatch(effGetProgramNameIndexed,
               static_cast<VstInt32>(std::lround(value * (programCount() - 1))), 0, text);
      break;
    case ParamTarget::kController:
      std::snprintf(text, sizeof text, "%ld", std::lround(value * 127.0));
      break;
    default:
      return kInvalidArgument;
  }
  copyText(string, 128, text);
  return kResultOk;
}

tresult EffectComponent::getParamValueByString(ParamID id, TChar* string, ParamValue& value) {
  if (!effect || !string) return kInvalidArgument;
  char text[256];
  narrowText(text, sizeof text, string);
  const ParamTarget target = targetOf(id, effectParams());
  double number = 0.0;
  int32_t steps = 0;
  if (target.kind == ParamTarget::kEffect && isStepped(id, steps)) {
    char low[256] = {}, high[256] = {};
    plug().formatParameter(target.index, low, 0.0f);
    plug().formatParameter(target.index, high, 1.0f);
    if (sameWord(text, low))
      value = 0.0;
    else if (sameWord(text, high))
      value = 1.0;
    else
      return kResultFalse;
    return kResultOk;
  }
  if (target.kind == ParamTarget::kEffect) {
    // The texts rise with the value: search the value whose text reaches the number.
    if (!leadingNumber(text, number)) return kResultFalse;
    auto shown = [&](double x) {
      char t[256] = {};
      plug().formatParameter(target.index, t, static_cast<float>(x));
      double d = 0.0;
      return leadingNumber(t, d) ? d : 0.0;
    };
    double low = 0.0, high = 1.0;
    if (number <= shown(low)) {
      value = 0.0;
    } else if (number >= shown(high)) {
      value = 1.0;
    } else {
      for (int i = 0; i < 40; ++i) {
        const double middle = 0.5 * (low + high);
        (shown(middle) < number ? low : high) = middle;
      }
      value = high;
    }
    return kResultOk;
  }
  switch (target.kind) {
    case ParamTarget::kBypass:
      if (sameWord(text, "on") || sameWord(text, "1"))
        value = 1.0;
      else if (sameWord(text, "off") || sameWord(text, "0"))
        value = 0.0;
      else
        return kResultFalse;
      return kResultOk;
    case ParamTarget::kProgram:
      for (int32_t p = 0; p < programCount(); ++p) {
        char name[256] = {};
        dispatch(effGetProgramNameIndexed, p, 0, name);
        if (std::strcmp(name, text) == 0) {
          value = programCount() > 1 ? static_cast<double>(p) / (programCount() - 1) : 0.0;
          return kResultOk;
        }
      }
      return kResultFalse;
    case ParamTarget::kController:
      if (!leadingNumber(text, number) || number < 0.0 || number > 127.0) return kResultFalse;
      value = number / 127.0;
      return kResultOk;
    default:
      return kInvalidArgument;
  }
}

ParamValue EffectComponent::normalizedParamToPlain(ParamID id, ParamValue value) {
  int32_t steps = 0;
  value = clampNormalized(value);
  if (!isStepped(id, steps)) return value;
  return std::min(static_cast<double>(steps), std::floor(value * (steps + 1)));
}

ParamValue EffectComponent::plainParamToNormalized(ParamID id, ParamValue plain) {
  int32_t steps = 0;
  if (!isStepped(id, steps)) return clampNormalized(plain);
  return clampNormalized(plain / steps);
}

ParamValue EffectComponent::getParamNormalized(ParamID id) {
  if (!effect) return 0.0;
  const ParamTarget target = targetOf(id, effectParams());
  int32_t steps = 0;
  switch (target.kind) {
    case ParamTarget::kEffect: {
      const double value = effectValue(target.index);
      if (isStepped(id, steps)) return value >= 0.5 ? 1.0 : 0.0;
      return value;
    }
    case ParamTarget::kBypass:
      return bypassRequested ? 1.0 : 0.0;
    case ParamTarget::kProgram:
      return programCount() > 1
                 ? static_cast<double>(dispatch(effGetProgram)) / (programCount() - 1)
                 : 0.0;
    default:
      return 0.0;
  }
}

tresult EffectComponent::setParamNormalized(ParamID id, ParamValue value) {
  if (!effect) return kNotInitialized;
  if (std::isnan(value)) return kInvalidArgument;
  value = clampNormalized(value);
  const ParamTarget target = targetOf(id, effectParams());
  int32_t steps = 0;
  switch (target.kind) {
    case ParamTarget::kEffect: {
      // The host's echo of a value the effect holds changes nothing, so that a state read back
      // is the state that was set.
      const float current = effectValue(target.index);
      const bool same = isStepped(id, steps) ? (current >= 0.5f) == (value >= 0.5)
                                             : current == static_cast<float>(value);
      if (!same) effect->setParameter(effect, target.index, static_cast<float>(value));
      reported[target.index] = effectValue(target.index);
      return kResultOk;
    }
    case ParamTarget::kBypass:
      bypassRequested = value >= 0.5;
      return kResultOk;
    case ParamTarget::kProgram: {
      const int32_t program = static_cast<int32_t>(std::lround(value * (programCount() - 1)));
      if (program != dispatch(effGetProgram)) {
        {
          Quiet quiet(*this);
          dispatch(effSetProgram, 0, program);
        }
        for (int32_t i = 0; i < effectParams(); ++i) reported[i] = effectValue(i);
        reportedProgram = program;
        notifyHost(kParamValuesChanged);
      }
      return kResultOk;
    }
    case ParamTarget::kController:
      return kResultOk;
    default:
      return kInvalidArgument;
  }
}

tresult EffectComponent::setComponentHandler(IComponentHandler* newHandler) {
  if (newHandler == handler) return kResultOk;
  if (newHandler) newHandler->addRef();
  if (handler) handler->release();
  handler = newHandler;
  return kResultOk;
}

IPlugView* EffectComponent::createView(FIDString name) {
  if (!name || std::strcmp(name, kEditorViewType) != 0 || !hasEditor()) return nullptr;
  return new (std::nothrow) EditorView(this);
}

void EffectComponent::viewAttached(EditorView* view) { attachedView = view; }

void EffectComponent::viewRemoved(EditorView* view) {
  EditorView* expected = view;
  attachedView.compare_exchange_strong(expected, nullptr);
}

// ---- IMidiMapping ------------------------------------------------------------------------------

tresult EffectComponent::getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                     CtrlNumber controller, ParamID& id) {
  if (busIndex != 0 || channel < 0 || channel > 15 || controller < 0 ||
      controller >= kControllerCount)
    return kResultFalse;
  id = kFirstControllerId + static_cast<ParamID>(controller);
  return kResultTrue;
}

// ---- IUnitInfo ---------------------------------------------------------------------------------

int32_t EffectComponent::getUnitCount() { return 1; }

tresult EffectComponent::getUnitInfo(int32_t unitIndex, UnitInfo& info) {
  if (unitIndex != 0) return kInvalidArgument;
  std::memset(&info, 0, sizeof info);
  info.id = kRootUnitId;
  info.parentUnitId = kNoParentUnitId;
  copyText(info.name, "Root");
  info.programListId = 0;
  return kResultOk;
}

int32_t EffectComponent::getProgramListCount() { return 1; }

tresult EffectComponent::getProgramListInfo(int32_t listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kInvalidArgument;
  std::memset(&info, 0, sizeof info);
  info.id = 0;
  copyText(info.name, "Programs");
  info.programCount = programCount();
  return kResultOk;
}

tresult EffectComponent::getProgramName(ProgramListID listId, int32_t programIndex,
                                        String128 name) {
  if (listId != 0 || programIndex < 0 || programIndex >= programCount() || !name)
    return kInvalidArgument;
  char text[256] = {};
  if (!dispatch(effGetProgramNameIndexed, programIndex, 0, text)) return kResultFalse;
  copyText(name, 128, text);
  return kResultOk;
}

tresult EffectComponent::getProgramInfo(ProgramListID, int32_t, const char*, String128) {
  return kResultFalse;
}
tresult EffectComponent::hasProgramPitchNames(ProgramListID, int32_t) { return kResultFalse; }
tresult EffectComponent::getProgramPitchName(ProgramListID, int32_t, int16_t, String128) {
  return kResultFalse;
}
UnitID EffectComponent::getSelectedUnit() { return kRootUnitId; }
tresult EffectComponent::selectUnit(UnitID unitId) {
  return unitId == kRootUnitId ? kResultOk : kInvalidArgument;
}
tresult EffectComponent::getUnitByBus(int32_t, int32_t, int32_t, int32_t, UnitID& unitId) {
  unitId = kRootUnitId;
  return kResultOk;
}
tresult EffectComponent::setUnitProgramData(int32_t, int32_t, IBStream*) { return kNotImplemented; }

}  // namespace Vst3Glue
