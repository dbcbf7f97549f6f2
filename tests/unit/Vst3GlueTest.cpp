// The VST 3 face of the effect, driven the way a VST 3 host drives it and compared with the VST 2.4
// record it wraps: the same state bytes, the same samples, MIDI learn through the controller
// parameters, and a bypass that does not click.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "FakeHost.h"
#include "MessageBoxRecorder.h"
#include "Vst3HostObjects.h"
#include "plugcore/Plug.h"
#include "plugcore/PluginEntry.h"
#include "vst3/Factory.h"
#include "vst3/ParameterLayout.h"
#include "vst3/Vst3Abi.h"

using namespace Vst3;

namespace {

// The host tool's change lists, with room for a block's points; too large for a stack.
struct Changes {
  std::unique_ptr<vst3host::ParameterChanges> list = std::make_unique<vst3host::ParameterChanges>();
  void add(ParamID id, int32_t offset, double value) { ASSERT_TRUE(list->add(id, offset, value)); }
  const vst3host::ParamQueue* find(ParamID id) const {
    for (int32_t i = 0; i < list->getParameterCount(); ++i)
      if (list->queue(i).id() == id) return &list->queue(i);
    return nullptr;
  }
  operator IParameterChanges*() { return list.get(); }
};

// What the host's side of the controller hears.
class Handler : public IComponentHandler {
 public:
  int edits = 0;
  std::vector<int32_t> restarts;

  tresult queryInterface(const TUID, void** object) override {
    *object = nullptr;
    return kNoInterface;
  }
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  tresult beginEdit(ParamID) override { return kResultOk; }
  tresult performEdit(ParamID, ParamValue) override {
    ++edits;
    return kResultOk;
  }
  tresult endEdit(ParamID) override { return kResultOk; }
  tresult restartComponent(int32_t flags) override {
    restarts.push_back(flags);
    return kResultOk;
  }
};

// The component as a host holds it: its three faces, initialised and set up.
struct Instance {
  IComponent* component = nullptr;
  IAudioProcessor* processor = nullptr;
  IEditController* controller = nullptr;

  explicit Instance(int32_t sampleSize = kSample32) {
    IPluginFactory* factory = Vst3Glue::moduleFactory();
    PClassInfo info{};
    EXPECT_EQ(factory->getClassInfo(0, &info), kResultOk);
    void* object = nullptr;
    EXPECT_EQ(factory->createInstance(info.cid, kIComponentIid.tuid(), &object), kResultOk);
    component = static_cast<IComponent*>(object);
    EXPECT_EQ(component->initialize(nullptr), kResultOk);
    component->queryInterface(kIAudioProcessorIid.tuid(), &object);
    processor = static_cast<IAudioProcessor*>(object);
    component->queryInterface(kIEditControllerIid.tuid(), &object);
    controller = static_cast<IEditController*>(object);
    ProcessSetup setup{kRealtime, sampleSize, 512, 44100.0};
    EXPECT_EQ(processor->setupProcessing(setup), kResultOk);
    component->setActive(1);
    processor->setProcessing(1);
  }
  ~Instance() {
    processor->setProcessing(0);
    component->setActive(0);
    controller->release();
    processor->release();
    component->terminate();
    component->release();
  }

  std::vector<uint8_t> state() {
    vst3host::MemoryStream stream;
    EXPECT_EQ(component->getState(&stream), kResultOk);
    return stream.bytes();
  }
  tresult setState(const std::vector<uint8_t>& bytes) {
    vst3host::MemoryStream stream(bytes.data(), bytes.size());
    return component->setState(&stream);
  }

  template <typename Sample>
  void process(std::vector<Sample>* in, std::vector<Sample>* out, int32_t frames,
               IParameterChanges* input = nullptr, IParameterChanges* output = nullptr) {
    Sample* inputs[2] = {in[0].data(), in[1].data()};
    Sample* outputs[2] = {out[0].data(), out[1].data()};
    AudioBusBuffers inBus{}, outBus{};
    inBus.numChannels = outBus.numChannels = 2;
    inBus.channelBuffers32 = reinterpret_cast<float**>(inputs);
    outBus.channelBuffers32 = reinterpret_cast<float**>(outputs);
    ProcessData data{};
    data.symbolicSampleSize = sizeof(Sample) == 8 ? kSample64 : kSample32;
    data.numSamples = frames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = input;
    data.outputParameterChanges = output;
    ASSERT_EQ(processor->process(data), kResultOk);
  }
};

// The VST 2.4 record of the same effect, the way a VST 2.4 host opens it.
struct Record {
  FakeHost host;
  AEffect* effect = PlugCore::pluginMain(host.callback(), true);
  Record() {
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 512, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  }
  ~Record() { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }
  std::vector<uint8_t> chunk() {
    void* data = nullptr;
    const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0.0f);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
  }
};

template <typename Sample>
void fillSaw(std::vector<Sample>* channels, size_t frames) {
  for (int c = 0; c < 2; ++c) {
    channels[c].resize(frames);
    for (size_t i = 0; i < frames; ++i)
      channels[c][i] = static_cast<Sample>(0.8 * std::fmod(i * (0.01 + 0.003 * c), 2.0) - 0.8);
  }
}

}  // namespace

// A host's stream that hands over its bytes but says it read far more than it was asked for.
class OverstatingStream : public vst3host::MemoryStream {
 public:
  using MemoryStream::MemoryStream;
  tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) override {
    const tresult result = MemoryStream::read(buffer, numBytes, numBytesRead);
    if (numBytesRead && *numBytesRead > 0) *numBytesRead = numBytes + 4096;
    return result;
  }
};

TEST(Vst3Glue, AStreamThatOverstatesWhatItReadIsRefusedByBothSides) {
  Instance vst3;
  const std::vector<uint8_t> bank = vst3.state();
  OverstatingStream component(bank.data(), bank.size());
  EXPECT_EQ(vst3.component->setState(&component), kResultFalse);
  const uint8_t controllerState[] = {'Q', 'r', 'l', 'C', 1, 1};
  OverstatingStream controller(controllerState, sizeof controllerState);
  EXPECT_EQ(vst3.controller->setState(&controller), kResultFalse);
  EXPECT_DOUBLE_EQ(vst3.controller->getParamNormalized(Vst3Glue::kBypassId), 0.0);
}

TEST(Vst3Glue, StateIsTheVst24BankChunkInBothDirections) {
  auto vst2 = std::make_unique<Record>();  // one recording host at a time
  vst2->effect->setParameter(vst2->effect, 1, 0.3f);
  vst2->effect->dispatcher(vst2->effect, effSetProgram, 0, 5, nullptr, 0.0f);
  vst2->effect->setParameter(vst2->effect, 2, 0.77f);
  char name[] = "Caf\xC3\xA9 \xF0\x9D\x84\x9E";  // UTF-8, one character beyond 16 bits
  vst2->effect->dispatcher(vst2->effect, effSetProgramName, 0, 0, name, 0.0f);
  const std::vector<uint8_t> fromVst2 = vst2->chunk();
  vst2.reset();

  Instance vst3;
  Handler handler;
  vst3.controller->setComponentHandler(&handler);
  ASSERT_EQ(vst3.setState(fromVst2), kResultOk);
  EXPECT_EQ(vst3.state(), fromVst2);
  // The host hears of a loaded state once, not as an edit of every program's every value.
  EXPECT_EQ(handler.edits, 0);
  EXPECT_EQ(handler.restarts, std::vector<int32_t>{kParamValuesChanged});
  EXPECT_FLOAT_EQ(vst3.controller->getParamNormalized(2), 0.77f);
  EXPECT_DOUBLE_EQ(vst3.controller->getParamNormalized(Vst3Glue::kProgramId), 5.0 / 15.0);
  IUnitInfo* units = nullptr;
  vst3.component->queryInterface(kIUnitInfoIid.tuid(), reinterpret_cast<void**>(&units));
  String128 shown{};
  ASSERT_EQ(units->getProgramName(0, 5, shown), kResultOk);
  EXPECT_EQ(std::u16string(shown), u"Caf\u00E9 \U0001D11E");
  units->release();
  // An empty stream is refused rather than read as a damaged chunk; a damaged one is refused
  // whole, and the host hears of no change.
  EXPECT_EQ(vst3.setState({}), kResultFalse);
  {
    MessageBoxRecorder boxes;
    std::vector<uint8_t> cut = fromVst2;
    cut.pop_back();
    vst3.controller->setParamNormalized(2, 0.5);
    EXPECT_EQ(vst3.setState(cut), kResultFalse);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FLOAT_EQ(vst3.controller->getParamNormalized(2), 0.5f);
    EXPECT_EQ(handler.restarts.size(), 1u);
    vst3.controller->setParamNormalized(2, 0.77);
  }

  // The reverse: what the VST 3 instance saves, a VST 2.4 host loads and saves the same.
  vst3.controller->setParamNormalized(4, 0.25);
  vst3.controller->setParamNormalized(7, 1.0);
  const std::vector<uint8_t> fromVst3 = vst3.state();
  vst3.controller->setComponentHandler(nullptr);
  Record other;
  other.effect->dispatcher(other.effect, effSetChunk, 0, static_cast<VstIntPtr>(fromVst3.size()),
                           const_cast<uint8_t*>(fromVst3.data()), 0.0f);
  EXPECT_EQ(other.chunk(), fromVst3);
  EXPECT_FLOAT_EQ(other.effect->getParameter(other.effect, 4), 0.25f);
}

TEST(Vst3Glue, ParametersAreTheEffectsWithTheirTextsAndSteps) {
  Instance vst3;
  Record vst2;
  ASSERT_EQ(vst3.controller->getParameterCount(), 8 + 2 + 128);
  int visible = 0;
  for (int32_t i = 0; i < vst3.controller->getParameterCount(); ++i) {
    ParameterInfo info{};
    ASSERT_EQ(vst3.controller->getParameterInfo(i, info), kResultOk);
    if (!(info.flags & ParameterInfo::kIsHidden)) ++visible;
    if (info.id >= 8) continue;
    char name[256] = {}, label[256] = {};
    vst2.effect->dispatcher(vst2.effect, effGetParamName, info.id, 0, name, 0.0f);
    vst2.effect->dispatcher(vst2.effect, effGetParamLabel, info.id, 0, label, 0.0f);
    EXPECT_EQ(std::u16string(info.title), std::u16string(name, name + std::strlen(name)));
    EXPECT_EQ(std::u16string(info.units), std::u16string(label, label + std::strlen(label)));
    EXPECT_EQ(info.stepCount, info.id == 7 ? 1 : 0) << name;
    // Hosts show the default before they ask for a value: it is where a new instance starts.
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, vst2.effect->getParameter(vst2.effect, info.id))
        << name;
  }
  EXPECT_EQ(visible, 10);  // the eight, bypass and the program
  // A new instance starts at the parameter table: wide open, unity gain.
  const double table[8] = {0.0, 1.0, 0.5, 0.0, 0.0, 1.0, 0.5, 0.0};
  for (int32_t id = 0; id < 8; ++id)
    EXPECT_FLOAT_EQ(static_cast<float>(vst3.controller->getParamNormalized(id)), table[id]) << id;

  String128 text{};
  vst3.controller->getParamStringByValue(1, 0.0, text);
  EXPECT_EQ(std::u16string(text), u"20.0");
  vst3.controller->getParamStringByValue(7, 1.0, text);
  EXPECT_EQ(std::u16string(text), u"full");
  char16_t typed[] = u"1000";
  ParamValue value = 0.0;
  ASSERT_EQ(vst3.controller->getParamValueByString(1, typed, value), kResultOk);
  vst3.controller->getParamStringByValue(1, value, text);
  EXPECT_EQ(std::u16string(text), u"1000");
  EXPECT_EQ(vst3.controller->normalizedParamToPlain(7, 0.7), 1.0);

  IUnitInfo* units = nullptr;
  vst3.component->queryInterface(kIUnitInfoIid.tuid(), reinterpret_cast<void**>(&units));
  ASSERT_NE(units, nullptr);
  for (int32_t p = 0; p < 16; ++p) {
    char name[256] = {};
    vst2.effect->dispatcher(vst2.effect, effGetProgramNameIndexed, p, 0, name, 0.0f);
    ASSERT_EQ(units->getProgramName(0, p, text), kResultOk);
    EXPECT_EQ(std::u16string(text), std::u16string(name, name + std::strlen(name)));
  }
  units->release();
}

TEST(Vst3Glue, SoundEqualsTheVst24RecordWithChangesAtTheirOffsets) {
  std::vector<float> in[2], out3[2], out2[2];
  fillSaw(in, 512);
  for (auto* out : {out3, out2})
    for (int c = 0; c < 2; ++c) out[c].assign(512, 0.0f);

  Instance vst3;
  auto vst2 = std::make_unique<Record>();  // one recording host at a time
  Changes changes;
  changes.add(1, 0, 0.4);
  changes.add(2, 0, 0.9);
  changes.add(1, 300, 0.7);
  vst3.process(in, out3, 512, changes);

  vst2->effect->setParameter(vst2->effect, 1, 0.4f);
  vst2->effect->setParameter(vst2->effect, 2, 0.9f);
  float* i2[2] = {in[0].data(), in[1].data()};
  float* o2[2] = {out2[0].data(), out2[1].data()};
  vst2->effect->processReplacing(vst2->effect, i2, o2, 300);
  vst2->effect->setParameter(vst2->effect, 1, 0.7f);
  float* i2b[2] = {in[0].data() + 300, in[1].data() + 300};
  float* o2b[2] = {out2[0].data() + 300, out2[1].data() + 300};
  vst2->effect->processReplacing(vst2->effect, i2b, o2b, 212);
  for (int c = 0; c < 2; ++c) EXPECT_EQ(out3[c], out2[c]) << "channel " << c;
  vst2.reset();

  // 64-bit samples, in place, against the 64-bit entry.
  Instance wide(kSample64);
  Record wide2;
  std::vector<double> buffers[2], reference[2];
  fillSaw(buffers, 512);
  fillSaw(reference, 512);
  Changes cutoff;
  cutoff.add(1, 0, 0.5);
  wide.process(buffers, buffers, 512, cutoff);
  wide2.effect->setParameter(wide2.effect, 1, 0.5f);
  double* r[2] = {reference[0].data(), reference[1].data()};
  wide2.effect->processDoubleReplacing(wide2.effect, r, r, 512);
  for (int c = 0; c < 2; ++c) EXPECT_EQ(buffers[c], reference[c]) << "channel " << c;
}

TEST(Vst3Glue, MidiControllersLearnThroughHiddenParametersAndTheHostHearsOfIt) {
  Instance vst3;
  IMidiMapping* mapping = nullptr;
  vst3.component->queryInterface(kIMidiMappingIid.tuid(), reinterpret_cast<void**>(&mapping));
  ASSERT_NE(mapping, nullptr);
  ParamID id = 0;
  ASSERT_EQ(mapping->getMidiControllerAssignment(0, 9, 74, id), kResultTrue);
  EXPECT_EQ(id, Vst3Glue::kFirstControllerId + 74);
  EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, 200, id), kResultFalse);
  mapping->release();

  // A mapping learnt in a VST 2.4 host (controller 74 to the cutoff) comes along in the state.
  Record vst2;
  static_cast<PlugCore::Plug*>(static_cast<AudioEffect*>(vst2.effect->object))->startLearn(1);
  VstMidiEvent cc{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0xB3), 74, 20}, 0, 0, 0, 0};
  VstEvents list{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
  std::vector<float> in[2], out[2];
  fillSaw(in, 64);
  for (int c = 0; c < 2; ++c) out[c].assign(64, 0.0f);
  float* i2[2] = {in[0].data(), in[1].data()};
  float* o2[2] = {out[0].data(), out[1].data()};
  vst2.effect->dispatcher(vst2.effect, effProcessEvents, 0, 0, &list, 0.0f);
  vst2.effect->processReplacing(vst2.effect, i2, o2, 64);
  ASSERT_EQ(vst3.setState(vst2.chunk()), kResultOk);

  // The host's MIDI input reaches the mapping through the controller's hidden parameter, and the
  // host hears of the value it set in the call's output changes.
  Changes moved, heard;
  moved.add(Vst3Glue::kFirstControllerId + 74, 10, 1.0);
  vst3.process(in, out, 64, moved, heard);
  EXPECT_DOUBLE_EQ(vst3.controller->getParamNormalized(1), 1.0);
  const vst3host::ParamQueue* cutoff = heard.find(1);
  ASSERT_NE(cutoff, nullptr);
  ASSERT_EQ(cutoff->count(), 1);
  EXPECT_DOUBLE_EQ(cutoff->lastValue(), 1.0);
  // A controller nothing is mapped to moves nothing.
  Changes other, none;
  other.add(Vst3Glue::kFirstControllerId + 75, 0, 0.0);
  vst3.process(in, out, 64, other, none);
  EXPECT_EQ(none.list->getParameterCount(), 0);
}

TEST(Vst3Glue, BypassCrossfadesToTheInputWithoutAJump) {
  Instance vst3;
  const int32_t frames = 4096;
  std::vector<float> in[2], out[2];
  fillSaw(in, frames);
  for (int c = 0; c < 2; ++c) out[c].assign(frames, 0.0f);
  Changes closeFilter;
  closeFilter.add(1, 0, 0.1);  // a low cutoff, so that dry and wet differ plainly
  vst3.process(in, out, 512, closeFilter);

  Changes bypass;
  bypass.add(Vst3Glue::kBypassId, 0, 1.0);
  std::vector<float> in2[2], out2[2];
  for (int c = 0; c < 2; ++c) {
    in2[c].assign(in[c].begin() + 512, in[c].begin() + 1024);
    out2[c].assign(512, 0.0f);
  }
  vst3.process(in2, out2, 512, bypass);
  // 10 ms at 44.1 kHz is 441 samples: after them the output is the input itself.
  for (int32_t i = 441; i < 512; ++i) ASSERT_EQ(out2[0][i], in2[0][i]) << i;
  float largestStep = 0.0f, largestInputStep = 0.0f;
  for (int32_t i = 1; i < 512; ++i) {
    largestStep = std::max(largestStep, std::fabs(out2[0][i] - out2[0][i - 1]));
    largestInputStep = std::max(largestInputStep, std::fabs(in2[0][i] - in2[0][i - 1]));
  }
  // The saw's own resets are the largest steps; the fade adds none of its own.
  EXPECT_LE(largestStep, largestInputStep * 1.01f);
  EXPECT_DOUBLE_EQ(vst3.controller->getParamNormalized(Vst3Glue::kBypassId), 1.0);
}

TEST(Vst3Glue, BypassComesBackWithTheSessionThroughTheHostsLoadSequence) {
  const int32_t frames = 512;
  std::vector<float> in[2], out[2];
  fillSaw(in, frames);
  for (int c = 0; c < 2; ++c) out[c].assign(frames, 0.0f);
  auto save = [](Instance& instance, std::vector<uint8_t>& component,
                 std::vector<uint8_t>& controller) {
    component = instance.state();
    vst3host::MemoryStream stream;
    ASSERT_EQ(instance.controller->getState(&stream), kResultOk);
    controller = stream.bytes();
  };
  // A host restores a session as: component state, the same bytes to the controller, then the
  // controller's own state.
  auto load = [](Instance& instance, const std::vector<uint8_t>& component,
                 const std::vector<uint8_t>& controller) {
    ASSERT_EQ(instance.setState(component), kResultOk);
    vst3host::MemoryStream forController(component.data(), component.size());
    ASSERT_EQ(instance.controller->setComponentState(&forController), kResultOk);
    vst3host::MemoryStream own(controller.data(), controller.size());
    ASSERT_EQ(instance.controller->setState(&own), kResultOk);
  };

  std::vector<uint8_t> component, controller, plainComponent, plainController;
  {
    Instance saved;
    save(saved, plainComponent, plainController);
    Changes bypass;
    bypass.add(Vst3Glue::kBypassId, 0, 1.0);
    saved.process(in, out, frames, bypass);
    save(saved, component, controller);
  }
  // The component's state stays the VST 2.4 bank chunk: bypass is not in it.
  EXPECT_EQ(component, plainComponent);

  Instance restored;
  load(restored, component, controller);
  EXPECT_DOUBLE_EQ(restored.controller->getParamNormalized(Vst3Glue::kBypassId), 1.0);
  // The processor is bypassed too: after the fade the input passes untouched.
  restored.process(in, out, frames);
  for (int32_t i = 441; i < frames; ++i) ASSERT_EQ(out[0][i], in[0][i]) << i;

  // A session saved un-bypassed brings bypass back off.
  load(restored, plainComponent, plainController);
  EXPECT_DOUBLE_EQ(restored.controller->getParamNormalized(Vst3Glue::kBypassId), 0.0);

  // A session from before bypass was kept has an empty controller state: accepted, bypass kept.
  restored.controller->setParamNormalized(Vst3Glue::kBypassId, 1.0);
  load(restored, plainComponent, {});
  EXPECT_DOUBLE_EQ(restored.controller->getParamNormalized(Vst3Glue::kBypassId), 1.0);
  // Bytes that are no controller state of ours are refused and change nothing.
  const std::vector<uint8_t> foreign = {'Q', 'r', 'l', 'X', 1, 0};
  vst3host::MemoryStream stream(foreign.data(), foreign.size());
  EXPECT_EQ(restored.controller->setState(&stream), kResultFalse);
  EXPECT_DOUBLE_EQ(restored.controller->getParamNormalized(Vst3Glue::kBypassId), 1.0);
}

TEST(Vst3Glue, TailIsTheVst24OneAndInfiniteInTheFullRange) {
  Instance vst3;
  Record vst2;
  vst2.effect->setParameter(vst2.effect, 2, 1.0f);
  vst3.controller->setParamNormalized(2, 1.0);
  const VstIntPtr ring = vst2.effect->dispatcher(vst2.effect, effGetTailSize, 0, 0, nullptr, 0.0f);
  EXPECT_GT(ring, 1);
  EXPECT_EQ(vst3.processor->getTailSamples(), static_cast<uint32_t>(ring));
  vst3.controller->setParamNormalized(7, 1.0);
  EXPECT_EQ(vst3.processor->getTailSamples(), kInfiniteTail);
}
